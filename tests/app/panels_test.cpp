// The side panels and the status view: which panel shows, the window's width and the
// menu check marks after each handler.
#include "window_fixture.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

using namespace window_test;

constexpr int kClosed = 622;
constexpr int kOpen = 976;

class Panels : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        load();
        height0 = window->height();
    }
    // S, A or F as the check marks say, with the width that goes with it.
    void expectState(char state) {
        auto& w = *window;
        EXPECT_EQ(w.mnuStartops->isChecked(), state == 'A');
        EXPECT_EQ(w.mnuFavslist->isChecked(), state == 'F');
        EXPECT_EQ(w.width(), state == 'S' ? kClosed : kOpen);
        EXPECT_EQ(w.height(), height0) << "only the width ever changes";
    }
    int height0 = 0;
};

TEST_F(Panels, TheWindowStartsClosedWithNoPanelAndNoMark) {
    expectState('S');
    EXPECT_FALSE(window->Frame4->isVisibleTo(window.get()));
    EXPECT_FALSE(window->Frame3->isVisibleTo(window.get()));
    EXPECT_TRUE(window->Frame5->isVisibleTo(window.get()));
    EXPECT_FALSE(window->Label32->isVisibleTo(window.get()));
}

TEST_F(Panels, OnlyThePanelCaptionsAreBoldAndMaroonNotTheControlsInside) {
    const QColor maroon(128, 0, 0);
    for (QGroupBox* panel :
         {static_cast<QGroupBox*>(window->Frame4), static_cast<QGroupBox*>(window->Frame3)}) {
        EXPECT_TRUE(panel->font().bold());
        EXPECT_EQ(panel->palette().color(QPalette::WindowText), maroon);
        const auto fields = panel->findChildren<QLineEdit*>();
        ASSERT_FALSE(fields.isEmpty());
        for (QLineEdit* field : fields) {
            EXPECT_FALSE(field->font().bold());
            EXPECT_EQ(field->palette().color(QPalette::Text),
                      window->palette().color(QPalette::Text));
            EXPECT_EQ(field->palette().color(QPalette::Disabled, QPalette::Text),
                      window->palette().color(QPalette::Disabled, QPalette::Text));
        }
    }
}

TEST_F(Panels, EachMenuEntryOpensAndClosesItsPanel) {
    auto& w = *window;
    w.mnuStartops->trigger();
    expectState('A');
    EXPECT_TRUE(w.Frame4->isVisibleTo(&w));
    w.mnuStartops->trigger();
    expectState('S');
    EXPECT_FALSE(w.Frame4->isVisibleTo(&w));

    w.mnuFavslist->trigger();
    expectState('F');
    EXPECT_TRUE(w.Frame3->isVisibleTo(&w));
    w.mnuFavslist->trigger();
    expectState('S');
    EXPECT_FALSE(w.Frame3->isVisibleTo(&w));
}

TEST_F(Panels, OpeningOnePanelWhileTheOtherIsOpenSwapsThemInOneStep) {
    auto& w = *window;
    w.mnuStartops->trigger();
    w.mnuFavslist->trigger();
    expectState('F');
    EXPECT_FALSE(w.Frame4->isVisibleTo(&w));
    EXPECT_TRUE(w.Frame3->isVisibleTo(&w));

    w.mnuStartops->trigger();
    expectState('A');
    EXPECT_TRUE(w.Frame4->isVisibleTo(&w));
    EXPECT_FALSE(w.Frame3->isVisibleTo(&w));
}

TEST_F(Panels, AfterCloseTheSameMenuEntryReopensThePanelAtOnce) {
    auto& w = *window;
    w.mnuStartops->trigger();
    emit w.Frame4->Label12->clicked();
    expectState('S');
    EXPECT_TRUE(w.Frame4->isVisibleTo(&w))
        << "Close narrows the window, it does not hide the panel";
    w.mnuStartops->trigger();
    expectState('A');

    w.mnuFavslist->trigger();
    emit w.Frame3->Label31->clicked();
    expectState('S');
    w.mnuFavslist->trigger();
    expectState('F');
}

TEST_F(Panels, CloseLeavesSaveListEnabledAndTheMenuEntryDisablesItUntilReopened) {
    auto& w = *window;
    QPushButton* save = w.Frame3->cmdSavefavs;
    w.mnuFavslist->trigger();
    EXPECT_TRUE(save->isEnabled());
    w.Label31_Click();
    EXPECT_TRUE(save->isEnabled());

    w.mnuFavslist->trigger();
    w.mnuFavslist->trigger();
    expectState('S');
    EXPECT_FALSE(save->isEnabled());
    w.mnuFavslist->trigger();
    EXPECT_TRUE(save->isEnabled());
}

TEST_F(Panels, LinksMenuClosesAnOpenPanelFirst) {
    auto& w = *window;
    w.mnuStartops->trigger();
    w.mnuElinks->trigger();
    expectState('S');
    w.mnuFavslist->trigger();
    w.mnuElinks_Click();
    expectState('S');
}

TEST_F(Panels, Command4ThenCloseShowsTheStatusViewAgainAndASecondCloseRestoresIt) {
    auto& w = *window;
    player.statusText = "Playing 'Jazz'";
    emit w.Command4->clicked();
    EXPECT_TRUE(w.Label32->isVisibleTo(&w));
    EXPECT_FALSE(w.Frame5->isVisibleTo(&w));
    EXPECT_EQ(w.Label32->text(), "Playing 'Jazz'");
    EXPECT_FALSE(w.mnuSinfo->isChecked());

    emit w.Label33->clicked();
    EXPECT_TRUE(w.Label32->isVisibleTo(&w));
    EXPECT_FALSE(w.Frame5->isVisibleTo(&w));
    EXPECT_TRUE(w.mnuSinfo->isChecked());

    player.statusText = "Stopped";
    emit w.Label33->clicked();
    EXPECT_FALSE(w.Label32->isVisibleTo(&w));
    EXPECT_TRUE(w.Frame5->isVisibleTo(&w));
    EXPECT_FALSE(w.mnuSinfo->isChecked());
    EXPECT_EQ(w.Label32->text(), "Stopped");
}

TEST_F(Panels, Label39Label40AndLoadHomepageChangeNothing) {
    auto& w = *window;
    w.mnuStartops->trigger();
    const QString comboText = combo().currentText();
    emit w.Label39->clicked();
    emit w.Label40->clicked();
    emit w.Label9->clicked();
    w.Label39_Click();
    w.Label40_Click();
    w.Label9_Click();
    expectState('A');
    EXPECT_TRUE(w.Frame4->isVisibleTo(&w));
    EXPECT_TRUE(w.Frame5->isVisibleTo(&w));
    EXPECT_FALSE(w.Label32->isVisibleTo(&w));
    EXPECT_EQ(combo().currentText(), comboText);
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(area.calls.empty());
}

} // namespace
