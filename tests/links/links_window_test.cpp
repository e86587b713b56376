// The links window: loading, the editor, Save and Close, the page list and its controls.
#include "links_fixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "common/click_label.h"

using namespace links_test;

namespace {

class LinksWindow : public LinksTest {
protected:
    void SetUp() override {
        LinksTest::SetUp();
        writeLinksFile(recordLine(kSavedRecord));
    }
};

TEST_F(LinksWindow, LoadingAtStartUpRenamesTheSixCaptionsAndRequestsTheFirstPageOutOfSight) {
    makeLinks().loadHidden();
    ASSERT_NE(links->form(), nullptr);
    EXPECT_FALSE(links->form()->isVisible());
    EXPECT_EQ(captions(), kSavedRecord.mid(0, 6));
    EXPECT_EQ(browsers.log, QStringList{"Navigate " + kFirstPage});
    EXPECT_EQ(links->form()->windowTitle(), "Pindle Stuff");
}

TEST_F(LinksWindow, TheLinksMenuEntryShowsTheEditorViewWithoutLoadingAgain) {
    makeLinks().loadHidden();
    links->mnuElinks_Click();
    links::frmPindle* form = links->form();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->fraSets->isVisible());
    EXPECT_FALSE(form->WebBrowser2->isVisible());
    EXPECT_EQ(form->fraSets->title(), " Settings ");
    EXPECT_EQ(browsers.log.size(), 1);
    EXPECT_EQ(browsers.created, 1);
}

TEST_F(LinksWindow, SaveRenamesTheMenuAtOnceAndHidesTheWindowWhichStaysLoaded) {
    makeLinks().mnuElinks_Click();
    links::frmPindle* form = links->form();
    form->txtMname->setText("My Links");
    form->txtLname3->setText("Third Site");
    QTest::mouseClick(form->cmdSlinks, Qt::LeftButton);

    EXPECT_EQ(captions(),
              (QStringList{"My Links", "Chat", "Updates", "Third Site", "Vimble", "Fifth"}));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(links->form(), form);

    // Opening the editor again shows the saved texts and the same five pages.
    links->mnuElinks_Click();
    EXPECT_EQ(links->form(), form);
    EXPECT_EQ(form->txtLname3->text(), "Third Site");
    EXPECT_EQ(form->cmbPindle->count(), 5);
    EXPECT_EQ(browsers.log, QStringList{"Navigate " + kFirstPage});
}

TEST_F(LinksWindow, CloseDropsUnsavedEditsAndTheNextUseReadsTheFileAndRequestsThePageAgain) {
    makeLinks().mnuElinks_Click();
    links->form()->txtLname1->setText("Not saved");
    QTest::mouseClick(links->form()->Label1, Qt::LeftButton);
    settle();
    EXPECT_EQ(links->form(), nullptr);
    EXPECT_EQ(captions(), kSavedRecord.mid(0, 6));
    EXPECT_EQ(linksFileBytes(), recordLine(kSavedRecord));

    links->mnuElinks_Click();
    ASSERT_NE(links->form(), nullptr);
    EXPECT_EQ(links->form()->txtLname1->text(), "Chat");
    EXPECT_EQ(links->form()->cmbPindle->count(), 5);
    EXPECT_EQ(browsers.log, (QStringList{"Navigate " + kFirstPage, "Navigate " + kFirstPage}));
}

TEST_F(LinksWindow, ClosingTheWindowItselfUnloadsItJustAsCloseDoes) {
    makeLinks().mnuLpstuff_Click();
    ASSERT_TRUE(links->form()->isVisible());
    links->form()->close();
    settle();
    EXPECT_EQ(links->form(), nullptr);
    links->loadHidden();
    EXPECT_EQ(browsers.created, 2);
}

TEST_F(LinksWindow, UnloadAtExitClosesTheLoadedWindowAndIsHarmlessWhenNoneIsLoaded) {
    makeLinks().mnuElinks_Click();
    QPointer<links::frmPindle> form = links->form();
    links->unload();
    EXPECT_EQ(links->form(), nullptr);
    EXPECT_TRUE(form.isNull());
    links->unload();
    EXPECT_EQ(links->form(), nullptr);
}

TEST_F(LinksWindow, EachPageOfTheListOpensItsAddressAndThenAsksForTheFocus) {
    makeLinks().loadHidden();
    links::frmPindle* form = links->form();
    const QStringList texts = {"Host An Event", "Check Out Ferrow", "Top 25 Chatters",
                               "Users Online", "Server Tricks"};
    const QStringList addresses = {
        kFirstPage, "http://" + kFerrow + "/", "http://" + kCommunity + "/picker/top25.php",
        "http://" + kCommunity + "/picker/online_users.php", "http://" + kCommunity + "/tricks/"};
    ASSERT_EQ(form->cmbPindle->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form->cmbPindle->itemText(i), texts[i]);
        browsers.log.clear();
        form->cmbPindle->setCurrentIndex(i);
        form->cmbPindle_Click();
        EXPECT_EQ(browsers.log, (QStringList{"Navigate " + addresses[i], "focus"}));
    }
    // The page loads out of sight: the view is not changed.
    EXPECT_FALSE(form->WebBrowser2->isVisibleTo(form));
}

TEST_F(LinksWindow, EveryControlTheUserCanReachHasAnAccessibleName) {
    makeLinks().mnuElinks_Click();
    const auto controls = links->form()->findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* control : controls) {
        if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(links->form()))
            continue;
        ++checked;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
    EXPECT_GE(checked, 13); // eleven text boxes, Save and Close
}

TEST_F(LinksWindow, EditorControlsFitInsideTheFrameWithoutClippingTheirText) {
    makeLinks().mnuElinks_Click();
    links::frmPindle* form = links->form();
    const QRect frame = form->fraSets->rect();
    for (QWidget* control : form->fraSets->findChildren<QWidget*>()) {
        EXPECT_TRUE(frame.contains(control->geometry())) << control->objectName().toStdString();
        EXPECT_GE(control->width(), control->minimumSizeHint().width());
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
    EXPECT_LE(form->fraSets->geometry().right(), form->width());
}

} // namespace
