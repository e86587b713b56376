// The links file as the links window reads and writes it.
#include "links/mdl_extras.h"
#include "links_fixture.h"

#include <QFileInfo>
#include <QPushButton>

using namespace links_test;

namespace {

class LinksFile : public LinksTest {};

TEST_F(LinksFile, SavingTheInitialTextsWritesTheDeliveredDefaultLine) {
    // A window that has read no file holds the initial texts.
    links::frmPindle form(menu, dataFolder(), browsers, messages);
    EXPECT_EQ(links::mdlExtras::SaveLinks(form), QString());
    EXPECT_EQ(linksFileBytes(),
              QByteArray("\"Pindle Chat Links\",\"Link Name 1\",\"Link Name 2\",\"Link Name 3\","
                         "\"Link Name 4\",\"Link Name 5\",\"Text1\",\"Text1\",\"Text1\","
                         "\"Text1\",\"Text1\"\r\n"));
}

TEST_F(LinksFile, ValuesWithCommasBlanksAndEmptyFieldsSurviveASaveAndALoad) {
    writeLinksFile(recordLine(kSavedRecord));
    makeLinks().mnuElinks_Click();
    links::frmPindle* form = links->form();
    const QStringList edited = {
        "  Menu, with commas  ",      "", " a , b ", "x,y,z", "\tTab",     "End ",
        "http://127.0.0.1:1/a?b=1,2", "", " ",       ",",     "C:\\x y\\z"};
    form->setRecord(edited);
    form->cmdSlinks_Click();
    EXPECT_EQ(linksFileBytes(), recordLine(edited));
    EXPECT_TRUE(messages.shown.empty());

    // A new start of the program reads the same eleven texts back.
    links.reset();
    makeLinks().loadHidden();
    EXPECT_EQ(links->form()->record(), edited);
    // The menu shows each name on one line: the tab is a space there, and only there.
    QStringList shown = edited.mid(0, 6);
    shown[4] = " Tab";
    EXPECT_EQ(captions(), shown);
}

TEST_F(LinksFile, AMissingFileLeavesEveryFieldAndCaptionEmptyAndWritesNothing) {
    makeLinks().loadHidden();
    EXPECT_EQ(links->form()->record(), QStringList(11, QString()));
    EXPECT_EQ(captions(), QStringList(6, QString()));
    EXPECT_FALSE(QFileInfo::exists(linksFile()));
    EXPECT_FALSE(QFileInfo::exists(dataFolder()));
}

TEST_F(LinksFile, AShortFileFillsWhatItHoldsAndLeavesTheRestEmpty) {
    writeLinksFile("\"Only Menu\",\"First\"\r\n");
    makeLinks().loadHidden();
    QStringList expected(11, QString());
    expected[0] = "Only Menu";
    expected[1] = "First";
    EXPECT_EQ(links->form()->record(), expected);
    EXPECT_EQ(linksFileBytes(), QByteArray("\"Only Menu\",\"First\"\r\n"));
}

TEST_F(LinksFile, AFailedSaveTellsTheUserWhichFileAndKeepsTheEditorOpenAndTheMenu) {
    writeLinksFile(recordLine(kSavedRecord));
    // The data folder's place is taken by a plain file, so nothing can be written there.
    const QString blocked = folder.path() + "/blocked";
    {
        QFile file(blocked);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    links = std::make_unique<links::Links>(menu, blocked + "/Dornel/", browsers, shell, messages);
    links->mnuElinks_Click();
    links::frmPindle* form = links->form();
    const QStringList before = captions();
    form->txtLname1->setText("Renamed");
    form->cmdSlinks_Click();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains(blocked + "/Dornel/links.dat"))
        << messages.shown[0].prompt.toStdString();
    EXPECT_EQ(messages.shown[0].icon, platform::MessageBox::Icon::Warning);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->txtLname1->text(), "Renamed");
    EXPECT_EQ(captions(), before);
}

// Start-up names the menu from the file alone; the window, its browser and its first
// community page wait until the user needs them, and then show the same record.
TEST_F(LinksFile, StartUpCaptionsComeFromTheFileWithoutMakingTheWindow) {
    writeLinksFile("\"Only Menu\",\"First\"\r\n");
    makeLinks().loadMenuCaptions();
    EXPECT_EQ(captions(), QStringList({"Only Menu", "First", "", "", "", ""}));
    EXPECT_EQ(links->form(), nullptr);
    EXPECT_EQ(browsers.created, 0);

    links->mnuElinks_Click();
    ASSERT_NE(links->form(), nullptr);
    EXPECT_EQ(links->form()->record().mid(0, 2), QStringList({"Only Menu", "First"}));
    EXPECT_EQ(captions(), QStringList({"Only Menu", "First", "", "", "", ""}));
}

TEST_F(LinksFile, StartUpCaptionsLeaveAnOpenWindowsCaptionsAlone) {
    writeLinksFile(recordLine(kSavedRecord));
    makeLinks().mnuElinks_Click();
    links->form()->txtLname1->setText("Saved later");
    links->form()->cmdSlinks_Click();
    writeLinksFile("\"Other\"\r\n"); // changed behind the open window's back
    links->loadMenuCaptions();
    EXPECT_EQ(captions()[1], "Saved later");
}

} // namespace
