// The tray menu's Stop, Pause and Mute entries: each decides from the player's real
// state, and its check mark shows what it did, even when chosen through the menu.
#include "window_fixture.h"

namespace {

using namespace window_test;

class PlayerEntries : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        load();
    }
};

const int kStates[] = {platform::psPlaying, platform::psBuffering, platform::psTransitioning,
                       platform::psPaused, platform::psStopped};

TEST_F(PlayerEntries, StopStopsOnlyAPlayingStreamAndPlaysOtherwise) {
    QAction* stop = window->mnuMenu->mnuPlaystop;
    for (const int state : kStates) {
        for (const bool markBefore : {false, true}) {
            SCOPED_TRACE(testing::Message() << "state " << state << ", mark " << markBefore);
            player.state = state;
            player.calls.clear();
            stop->setChecked(markBefore);
            stop->trigger();
            const bool playing = state == platform::psPlaying;
            EXPECT_EQ(player.calls, QStringList({playing ? "stop" : "play"}));
            EXPECT_EQ(stop->isChecked(), playing);

            player.calls.clear();
            stop->setChecked(markBefore);
            window->mnuPlaystop_Click();
            EXPECT_EQ(player.calls, QStringList({playing ? "stop" : "play"}));
            EXPECT_EQ(stop->isChecked(), playing);
        }
    }
}

TEST_F(PlayerEntries, StopChosenTwiceStopsThenPlaysAgain) {
    QAction* stop = window->mnuMenu->mnuPlaystop;
    player.state = platform::psPlaying;
    stop->trigger();
    player.state = platform::psStopped;
    stop->trigger();
    EXPECT_EQ(player.calls, QStringList({"stop", "play"}));
    EXPECT_FALSE(stop->isChecked());
}

TEST_F(PlayerEntries, PausePausesOnlyAPlayingStreamAndPlaysOtherwise) {
    QAction* pause = window->mnuMenu->mnuPause;
    for (const int state : kStates) {
        for (const bool markBefore : {false, true}) {
            SCOPED_TRACE(testing::Message() << "state " << state << ", mark " << markBefore);
            player.state = state;
            player.calls.clear();
            pause->setChecked(markBefore);
            pause->trigger();
            const bool playing = state == platform::psPlaying;
            EXPECT_EQ(player.calls, QStringList({playing ? "pause" : "play"}));
            EXPECT_EQ(pause->isChecked(), playing);
        }
    }
}

TEST_F(PlayerEntries, MuteInvertsThePlayersRealMuteState) {
    QAction* mute = window->mnuMenu->mnuMute1;
    mute->trigger();
    EXPECT_TRUE(player.muted);
    EXPECT_TRUE(mute->isChecked());
    mute->trigger();
    EXPECT_FALSE(player.muted);
    EXPECT_FALSE(mute->isChecked());

    // Muted through the player's own control: the unmarked entry unmutes.
    player.muted = true;
    player.calls.clear();
    mute->trigger();
    EXPECT_EQ(player.calls, QStringList({"mute=0"}));
    EXPECT_FALSE(mute->isChecked());

    player.muted = false;
    mute->setChecked(true);
    window->mnuMute1_Click();
    EXPECT_TRUE(player.muted);
    EXPECT_TRUE(mute->isChecked());
}

TEST_F(PlayerEntries, StoppedThroughThePlayerTheStopMarkStaysUntilChosen) {
    QAction* stop = window->mnuMenu->mnuPlaystop;
    player.state = platform::psPlaying;
    stop->trigger();
    player.state = platform::psStopped; // the user played and stopped again in the player
    EXPECT_TRUE(stop->isChecked());
    player.calls.clear();
    stop->trigger();
    EXPECT_EQ(player.calls, QStringList({"play"}));
    EXPECT_FALSE(stop->isChecked());
}

} // namespace
