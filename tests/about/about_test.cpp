// The About dialog: its texts, one dialog at most, and the community site's link.
#include "about/about.h"
#include "about/frm_about.h"
#include "common/click_label.h"
#include "fakes.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

int openAboutDialogs() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<about::frmAbout*>(widget) != nullptr && widget->isVisible();
    return count;
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class AboutDialog : public ::testing::Test {
protected:
    void TearDown() override { settle(); }
    fakes::FakeShell shell;
    fakes::FakeMessageBox messages;
    QWidget owner;
    about::About about{shell, "community.test", &messages};
};

TEST_F(AboutDialog, LoadingSetsTheCaptionTitleVersionAndTheDescriptionWordForWord) {
    about.mnuAbout_Click(&owner);
    about::frmAbout* dialog = about.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "About Korvant Lite");
    EXPECT_EQ(dialog->lblTitle->text(), "Korvant Lite");
    EXPECT_EQ(dialog->lblVersion->text(), "Version 1.0.0");
    EXPECT_EQ(dialog->lblDescription->text(),
              "App Description: This is the lite version, as it includes no database and only 10 "
              "favorite stations and one extra as default favorite. The links are still "
              "customizable as is the top banner. You are free to \"Brand\" for your personal or "
              "station needs. with the exception of what resides below.");
    EXPECT_EQ(dialog->Label42->text(), "Provided by:");
    EXPECT_EQ(dialog->Label41->text(), "community.test");
    EXPECT_EQ(dialog->cmdOK->text(), "OK");
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(AboutDialog, TheWholeDescriptionIsShownAboveTheSeparatorAndTheButtonsBelowIt) {
    about.mnuAbout_Click(&owner);
    about::frmAbout* dialog = about.dialog();
    QLabel* text = dialog->lblDescription;
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));
    EXPECT_LE(text->geometry().bottom(), dialog->Line1->geometry().top());
    EXPECT_GE(dialog->cmdOK->geometry().top(), dialog->Line1->geometry().bottom());
    for (QWidget* child : dialog->findChildren<QWidget*>())
        EXPECT_TRUE(dialog->rect().contains(child->geometry()))
            << child->objectName().toStdString();
}

TEST_F(AboutDialog, OpeningItTwiceShowsOneDialog) {
    about.mnuAbout_Click(&owner);
    about::frmAbout* first = about.dialog();
    about.mnuAbout_Click(&owner);
    EXPECT_EQ(about.dialog(), first);
    EXPECT_EQ(openAboutDialogs(), 1);
}

TEST_F(AboutDialog, OkClosesItAndTheNextOpeningLoadsItAfresh) {
    about.mnuAbout_Click(&owner);
    QPointer<about::frmAbout> first = about.dialog();
    first->lblVersion->setText("changed");
    QTest::mouseClick(first->cmdOK, Qt::LeftButton);
    EXPECT_EQ(about.dialog(), nullptr);
    settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(openAboutDialogs(), 0);

    about.mnuAbout_Click(&owner);
    ASSERT_NE(about.dialog(), nullptr);
    EXPECT_EQ(about.dialog()->lblVersion->text(), "Version 1.0.0");
    EXPECT_EQ(openAboutDialogs(), 1);
}

TEST_F(AboutDialog, TheSiteNameOpensTheHomePageWithoutTakingTheFocus) {
    about.mnuAbout_Click(&owner);
    QTest::mouseClick(about.dialog()->Label41, Qt::LeftButton);
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(shell.launches[0].first, "explorer http://community.test/");
    EXPECT_EQ(shell.launches[0].second, 4);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AboutDialog, ASiteThatCannotBeOpenedIsReported) {
    shell.succeed = false;
    about.mnuAbout_Click(&owner);
    about.dialog()->Label41_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains("http://community.test/"));
}

TEST_F(AboutDialog, ReachableControlsHaveAccessibleNamesOrTheirOwnText) {
    about.mnuAbout_Click(&owner);
    EXPECT_FALSE(about.dialog()->Label41->accessibleName().isEmpty());
    EXPECT_NE(about.dialog()->Label41->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(about.dialog()->cmdOK->text().isEmpty());
}

} // namespace
