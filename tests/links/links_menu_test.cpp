// The five entries of the links menu and the help picture.
#include "links_fixture.h"

#include <QGroupBox>

using namespace links_test;

namespace {

class LinksMenuEntries : public LinksTest {
protected:
    void SetUp() override {
        LinksTest::SetUp();
        writeLinksFile(recordLine(kSavedRecord));
    }
    void click(int entry) {
        switch (entry) {
        case 0:
            links->mnuLpstuff_Click();
            break;
        case 1:
            links->mnuCupdates_Click();
            break;
        case 2:
            links->mnuLumon_Click();
            break;
        case 3:
            links->mnuLvimble_Click();
            break;
        default:
            links->mnuLname5_Click();
            break;
        }
    }
};

TEST_F(LinksMenuEntries, EachEntryOpensItsOwnAddressWithNavigate2InTheBrowserView) {
    makeLinks().loadHidden();
    for (int i = 0; i < 5; ++i) {
        browsers.log.clear();
        click(i);
        EXPECT_EQ(browsers.log, QStringList{"Navigate2 " + kSavedRecord[6 + i]}) << i;
        links::frmPindle* form = links->form();
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(form->fraSets->isVisible());
        EXPECT_TRUE(form->WebBrowser2->isVisible());
    }
}

TEST_F(LinksMenuEntries, AnEntryPickedBeforeTheWindowIsLoadedLoadsItFirst) {
    makeLinks();
    links->mnuCupdates_Click();
    ASSERT_NE(links->form(), nullptr);
    EXPECT_EQ(browsers.log,
              (QStringList{"Navigate " + kFirstPage, "Navigate2 http://127.0.0.1:1/updates"}));
    EXPECT_EQ(captions(), kSavedRecord.mid(0, 6));
}

TEST_F(LinksMenuEntries, AnEntryFromTheEditorViewSwitchesTheSameWindowToTheBrowserView) {
    makeLinks().mnuElinks_Click();
    links::frmPindle* form = links->form();
    ASSERT_TRUE(form->fraSets->isVisible());
    links->mnuLvimble_Click();
    EXPECT_EQ(links->form(), form);
    EXPECT_FALSE(form->fraSets->isVisible());
    EXPECT_TRUE(form->WebBrowser2->isVisible());
    // And back: the editor entry hides the browser again.
    links->mnuElinks_Click();
    EXPECT_TRUE(form->fraSets->isVisible());
    EXPECT_FALSE(form->WebBrowser2->isVisible());
}

TEST_F(LinksMenuEntries, AnUnsavedNameDisablesItsEntryUntilItIsSaved) {
    makeLinks().mnuElinks_Click();
    links::frmPindle* form = links->form();
    form->txtLname2->setText("Updates Now");
    browsers.log.clear();
    links->mnuCupdates_Click();
    EXPECT_TRUE(browsers.log.isEmpty());
    EXPECT_TRUE(form->fraSets->isVisible());
    // Other entries are not affected by it.
    links->mnuLumon_Click();
    EXPECT_EQ(browsers.log, QStringList{"Navigate2 http://127.0.0.1:1/umon"});

    links->mnuElinks_Click();
    form->cmdSlinks_Click();
    EXPECT_EQ(menu.entries[1]->text(), "Updates Now");
    browsers.log.clear();
    links->mnuCupdates_Click();
    EXPECT_EQ(browsers.log, QStringList{"Navigate2 http://127.0.0.1:1/updates"});
}

TEST_F(LinksMenuEntries, CaseCountsWhenTheNameIsComparedWithTheCaption) {
    makeLinks().loadHidden();
    links->form()->txtLname5->setText("fifth");
    browsers.log.clear();
    links->mnuLname5_Click();
    EXPECT_TRUE(browsers.log.isEmpty());
    EXPECT_FALSE(links->form()->isVisible());
}

TEST_F(LinksMenuEntries, AnEmptyAddressIsStillHandedToTheBrowser) {
    QStringList record = kSavedRecord;
    record[7] = "";
    writeLinksFile(recordLine(record));
    makeLinks().loadHidden();
    browsers.log.clear();
    links->mnuCupdates_Click();
    EXPECT_EQ(browsers.log, QStringList{"Navigate2 "});
}

TEST_F(LinksMenuEntries, AnEmptyNameMatchesItsEmptyCaption) {
    QStringList record = kSavedRecord;
    record[4] = "";
    writeLinksFile(recordLine(record));
    makeLinks().loadHidden();
    EXPECT_EQ(menu.entries[3]->text(), "");
    browsers.log.clear();
    links->mnuLvimble_Click();
    EXPECT_EQ(browsers.log, QStringList{"Navigate2 http://127.0.0.1:1/vimble"});
}

TEST_F(LinksMenuEntries, OnlyWebAddressesAreOpenedAndAnyOtherIsRefusedWithAMessageNamingTheLink) {
    const QStringList refused = {"javascript:alert(document.domain)",
                                 " JavaScript:alert(1)",
                                 "file:///etc/passwd",
                                 "/etc/passwd",
                                 "data:text/html,<b>made up</b>",
                                 "about:blank",
                                 "ftp://127.0.0.1/file",
                                 "korvant-custom:anything",
                                 "http:///no-host"};
    for (const QString& address : refused) {
        QStringList record = kSavedRecord;
        record[8] = address;
        writeLinksFile(recordLine(record));
        makeLinks().loadHidden();
        browsers.log.clear();
        messages.shown.clear();
        links->mnuLumon_Click();
        EXPECT_TRUE(browsers.log.isEmpty()) << address.toStdString();
        EXPECT_FALSE(links->form()->isVisible()) << address.toStdString();
        ASSERT_EQ(messages.shown.size(), 1u) << address.toStdString();
        EXPECT_TRUE(messages.shown[0].prompt.startsWith("Link 3 (\"Umon\")"))
            << messages.shown[0].prompt.toStdString();
        EXPECT_TRUE(messages.shown[0].prompt.contains(address)) << address.toStdString();
        EXPECT_EQ(messages.shown[0].icon, platform::MessageBox::Icon::Warning);
    }

    const QStringList opened = {"https://127.0.0.1:1/secure", "HTTP://127.0.0.1:1/upper",
                                "127.0.0.1:1/typed"};
    for (const QString& address : opened) {
        QStringList record = kSavedRecord;
        record[8] = address;
        writeLinksFile(recordLine(record));
        makeLinks().loadHidden();
        browsers.log.clear();
        messages.shown.clear();
        links->mnuLumon_Click();
        EXPECT_EQ(browsers.log, QStringList{"Navigate2 " + address});
        EXPECT_TRUE(messages.shown.empty()) << address.toStdString();
    }
}

TEST_F(LinksMenuEntries, ARefusedLinksLongAddressIsShortenedInItsMessage) {
    QStringList record = kSavedRecord;
    record[8] = "javascript:" + QString(100000, 'x');
    writeLinksFile(recordLine(record));
    makeLinks().loadHidden();
    links->mnuLumon_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains("javascript:xxx"));
    EXPECT_LT(messages.shown[0].prompt.size(), 500);
}

// An '&' of a name would otherwise turn into a keyboard mnemonic and vanish.
TEST_F(LinksMenuEntries, CaptionsShowTheFilesNamesAsOneLineAndTheirEntriesStillOpen) {
    QStringList record = kSavedRecord;
    record[0] = "Chat & <b>Friends</b>";
    record[1] = "R&B";
    record[2] = "Two\tParts";
    writeLinksFile(recordLine(record));
    makeLinks().loadMenuCaptions();
    EXPECT_EQ(captions().mid(0, 3), QStringList({"Chat && <b>Friends</b>", "R&&B", "Two Parts"}));
    click(0);
    click(1);
    EXPECT_EQ(browsers.log.mid(browsers.log.size() - 2),
              QStringList({"Navigate2 " + record[6], "Navigate2 " + record[7]}));
    EXPECT_EQ(linksFileBytes(), recordLine(record));
}

TEST_F(LinksMenuEntries, TheMenuItselfDoesNothing) {
    makeLinks().mnuPstuff_Click();
    EXPECT_EQ(links->form(), nullptr);
    EXPECT_TRUE(browsers.log.isEmpty());
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(LinksMenuEntries, TheHelpPictureOpensTheHelpFileInTheEditorWithTheNormalWindowStyle) {
    makeLinks().Picture3_Click();
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(shell.launches[0].first, "notepad.exe " + dataFolder() + "help.txt");
    EXPECT_EQ(shell.launches[0].second, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(links->form(), nullptr);
}

TEST_F(LinksMenuEntries, AHelpFileThatCannotBeOpenedIsReportedWithItsPath) {
    shell.succeed = false;
    makeLinks().Picture3_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains(dataFolder() + "help.txt"));
}

} // namespace
