// Sending the main window to the tray, the icon's notifications, restoring and the
// tray's Exit.
#include "window_fixture.h"

#include "platform/window_message.h"

#include <QMouseEvent>
#include <QPushButton>

namespace {

using namespace window_test;

class SendToTray : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeFavourites({{"Jazz", "u0"}, {"Talk", "u1"}});
        load();
        window->show();
    }
    void notify(std::uint32_t mouseMessage) {
        platform::WindowMessageEvent e(platform::WM_MOUSEMOVE, 1, mouseMessage);
        QCoreApplication::sendEvent(window.get(), &e);
    }
    bool hidden() const { return !window->isVisible(); }
};

TEST_F(SendToTray, MinimisesHidesAndAddsTheIconForTheWindow) {
    emit window->Frame5->Label48->clicked();
    EXPECT_TRUE(hidden());
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window->isInTray());
    ASSERT_EQ(area.calls.size(), 1u);
    const platform::NotifyIconData& r = area.calls[0].data;
    EXPECT_EQ(r.hWnd, static_cast<std::uint32_t>(window->winId()));
    EXPECT_NE(r.hIcon, 0u);
    EXPECT_EQ(r.uCallbackMessage, 512u);
    EXPECT_STREQ(r.szTip, "Radio");
    EXPECT_TRUE(player.calls.isEmpty());
}

TEST_F(SendToTray, TheStatusLineSaysWhatIsPlaying) {
    struct Case {
        const char* comboText;
        int state;
        const char* expected;
    };
    player.statusText = "Playing 'Main'";
    const Case cases[] = {
        {"Jazz", platform::psStopped, "Status: No Stream."},
        {"Choose A Favorite Station", platform::psBuffering, "Status: No Stream."},
        {"Jazz", platform::psPlaying, "Status: Streaming Jazz"},
        {"Choose A Favorite Station", platform::psPlaying, "Status: Main DB Playing 'Main'"},
        {"Choose A Favorite Station.", platform::psPlaying, "Status: Main DB Playing 'Main'"},
        {"choose a favorite station", platform::psPlaying,
         "Status: Streaming choose a favorite station"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comboText);
        combo().setEditText(c.comboText);
        player.state = c.state;
        window->mnuSttray->trigger();
        EXPECT_EQ(status(), c.expected);
        window->mnuShow_Click();
    }
}

TEST_F(SendToTray, AnAlreadyMinimisedWindowGetsTheIconButIsNotHidden) {
    window->showMinimized();
    ASSERT_TRUE(window->isVisible());
    window->cmdAddtray_Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window->isInTray());
}

TEST_F(SendToTray, WithoutANotificationAreaTheWindowIsNotHidden) {
    area.available = false;
    emit window->cmdAddtray->clicked();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(window->isInTray());
}

TEST_F(SendToTray, RestoreClearsTheMarksAndStatusRemovesTheIconAndLeavesThePlayer) {
    player.state = platform::psPlaying;
    window->mnuSttray_Click();
    window->mnuMenu->mnuPause->trigger();
    window->mnuMenu->mnuMute1->trigger();
    window->mnuMenu->mnuPlaystop->setChecked(true);
    const QStringList callsBefore = player.calls;

    window->mnuMenu->mnuShow->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(window->isInTray());
    EXPECT_TRUE(area.icons.empty());
    EXPECT_FALSE(window->mnuMenu->mnuPlaystop->isChecked());
    EXPECT_FALSE(window->mnuMenu->mnuPause->isChecked());
    EXPECT_FALSE(window->mnuMenu->mnuMute1->isChecked());
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(player.calls, callsBefore);

    // The stream kept playing: the next Pause pauses it and sets the mark.
    window->mnuMenu->mnuPause->trigger();
    EXPECT_EQ(player.calls.last(), "pause");
    EXPECT_TRUE(window->mnuMenu->mnuPause->isChecked());
}

TEST_F(SendToTray, OnlyADoubleClickNotificationRestoresAndOnlyARightReleasePopsUpTheMenu) {
    for (const bool throughEvent : {true, false}) {
        for (std::uint32_t message = 510; message <= 523; ++message) {
            SCOPED_TRACE(testing::Message()
                         << "message " << message << (throughEvent ? " posted" : " direct"));
            window->cmdAddtray_Click();
            ASSERT_TRUE(window->isInTray());
            if (throughEvent)
                notify(message);
            else
                window->Form_MouseMove(0, 0, static_cast<float>(message) * 15.0f, 0);
            EXPECT_EQ(!window->isInTray(), message == 515);
            EXPECT_EQ(window->isVisible(), message == 515);
            EXPECT_EQ(window->mnuMenu->isVisible(), message == 517);
            window->mnuMenu->hide();
            if (window->isInTray())
                window->mnuShow_Click();
        }
    }
}

TEST_F(SendToTray, OtherWindowMessagesAndOrdinaryMouseMovesNeverReachTheTrayDecoding) {
    window->mnuMenu->mnuStats->setText("untouched");
    platform::WindowMessageEvent other(513, 1, 515);
    QCoreApplication::sendEvent(window.get(), &other);
    for (const int x : {515, 517}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 10), window->mapToGlobal(QPointF(x, 10)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &move);
        QCoreApplication::sendEvent(window->centralWidget(), &move);
    }
    EXPECT_TRUE(area.calls.empty()) << "a restore would have asked to delete the icon";
    EXPECT_EQ(status(), "untouched");
    EXPECT_FALSE(window->mnuMenu->isVisible());
}

TEST_F(SendToTray, TrayExitRemovesTheIconBeforeTheProgramEnds) {
    window->cmdAddtray_Click();
    ASSERT_EQ(area.icons.size(), 1u);
    window->mnuMenu->mnuExit->trigger();
    EXPECT_EQ(endCalls, 1);
    EXPECT_EQ(iconsAtEnd, 0);
    EXPECT_EQ(area.calls.back().message, platform::NIM_DELETE);
}

TEST_F(SendToTray, ExitEndsTheProgramOnce) {
    emit window->cmdExit->clicked();
    EXPECT_EQ(endCalls, 1);
}

} // namespace
