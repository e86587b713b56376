// The sleep timer's logic against a clock the test moves by hand, and the fake player.
#include "fakes.h"
#include "platform/sleep_timer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <vector>

using namespace std::chrono_literals;
using platform::SleepTimer;

namespace {

// A player that notes every volume it was given, and a clock that stands still until moved.
class SleepTimerTest : public ::testing::Test {
protected:
    SleepTimerTest() {
        player.state = platform::psPlaying;
        player.setURL("http://127.0.0.1:9/one");
        player.calls.clear();
        QObject::connect(&player, &platform::MediaPlayer::changed, &player,
                         [this] { volumes.push_back(player.vol); });
    }
    // Moves the clock on in steps no longer than the timer's own would be, ticking each.
    void advance(qint64 ms, qint64 step = SleepTimer::kFadeStepMs) {
        for (qint64 done = 0; done < ms;) {
            const qint64 d = std::min(step, ms - done);
            now += d;
            done += d;
            timer.tick();
        }
    }
    // The volumes the fade set, in order, without repeats of the restore at the end.
    std::vector<int> volumes;
    qint64 now = 1000000;
    fakes::FakeMediaPlayer player;
    SleepTimer timer{player, [this] { return now; }};
};

TEST_F(SleepTimerTest, CountsDownInWholeSecondsRoundedUpAndAnnouncesEachChange) {
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.countdownText(), "");
    QSignalSpy changed(&timer, &SleepTimer::changed);
    ASSERT_TRUE(timer.startMinutes(30));
    EXPECT_TRUE(timer.isRunning());
    EXPECT_EQ(timer.countdownText(), "Sleep in 30:00");
    EXPECT_EQ(changed.count(), 1);
    advance(1, 1);
    EXPECT_EQ(timer.countdownText(), "Sleep in 30:00");
    advance(999, 1);
    EXPECT_EQ(timer.countdownText(), "Sleep in 29:59");
    EXPECT_EQ(changed.count(), 2) << "a tick that changes no digit announces nothing";
    advance(29 * 60 * 1000 + 50 * 1000, 1000);
    EXPECT_EQ(timer.countdownText(), "Sleep in 0:09");
    EXPECT_EQ(timer.remainingMs(), 9000);

    ASSERT_TRUE(timer.startMinutes(90));
    EXPECT_EQ(timer.countdownText(), "Sleep in 1:30:00");
    advance(30 * 60 * 1000 + 1, 1000);
    EXPECT_EQ(timer.countdownText(), "Sleep in 1:00:00");
    advance(1000, 1000);
    EXPECT_EQ(timer.countdownText(), "Sleep in 59:59");
    ASSERT_TRUE(timer.startMinutes(1440));
    EXPECT_EQ(timer.countdownText(), "Sleep in 24:00:00");
    EXPECT_EQ(player.calls, QStringList()) << "counting down touches no transport";
}

TEST_F(SleepTimerTest, RefusesLengthsOutsideOneMinuteToADayAndKeepsWhatRuns) {
    for (const int minutes : {0, -5, 1441, 100000})
        EXPECT_FALSE(timer.startMinutes(minutes)) << minutes;
    EXPECT_FALSE(timer.isRunning());
    ASSERT_TRUE(timer.startMinutes(1));
    EXPECT_FALSE(timer.startMinutes(0));
    EXPECT_EQ(timer.countdownText(), "Sleep in 1:00");
}

TEST_F(SleepTimerTest, FadesTheLastTenSecondsDownToNothingThenStopsOnceAndGivesTheVolumeBack) {
    player.vol = 80;
    timer.start(60s);
    advance(50000 - 1);
    EXPECT_FALSE(timer.isFading());
    EXPECT_TRUE(volumes.empty()) << "the volume moved before the fade";
    advance(1);
    EXPECT_TRUE(timer.isFading());

    // Step by step, never up, from 80 to 0, no step more than 250 ms after the last.
    std::vector<qint64> stepTimes;
    std::vector<int> fade;
    QObject::connect(&player, &platform::MediaPlayer::changed, &player, [&] {
        if (timer.isRunning()) {
            stepTimes.push_back(now);
            fade.push_back(player.vol);
        }
    });
    advance(10000 - 1);
    EXPECT_EQ(player.calls, QStringList()) << "stopped before the end";
    ASSERT_GE(fade.size(), 35U);
    EXPECT_LE(fade.front(), 80);
    EXPECT_GE(fade.front(), 70);
    for (std::size_t i = 1; i < fade.size(); ++i) {
        EXPECT_LT(fade[i], fade[i - 1]) << "at step " << i;
        EXPECT_LE(stepTimes[i] - stepTimes[i - 1], 250) << "at step " << i;
    }
    EXPECT_LE(fade.back(), 1);
    advance(1);
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(player.calls, QStringList({"stop"}));
    EXPECT_EQ(player.vol, 80);
    ASSERT_GE(volumes.size(), 2U);
    EXPECT_EQ(volumes[volumes.size() - 2], 0) << "the fade did not reach silence";
    EXPECT_EQ(timer.countdownText(), "");
    advance(5000);
    EXPECT_EQ(player.calls, QStringList({"stop"})) << "stopped more than once";
}

TEST_F(SleepTimerTest, FadesFromTheVolumeTheUserHadWhenTheFadeBegan) {
    timer.start(20s);
    advance(5000);
    player.setVolume(30); // the user, well before the fade
    advance(5000);
    ASSERT_TRUE(timer.isFading());
    advance(2000);
    EXPECT_LT(player.vol, 30);
    EXPECT_GT(player.vol, 15);
    EXPECT_TRUE(timer.isRunning()) << "a change before the fade ends nothing";
    advance(8000);
    EXPECT_EQ(player.vol, 30);
    EXPECT_EQ(player.calls, QStringList({"stop"}));
}

TEST_F(SleepTimerTest, CancelOrASecondStartMidFadeGivesTheVolumeBackAndStopsNothing) {
    player.vol = 60;
    timer.start(12s);
    advance(7000);
    ASSERT_LT(player.vol, 60);
    QSignalSpy changed(&timer, &SleepTimer::changed);
    timer.cancel();
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(player.vol, 60);
    advance(20000);
    EXPECT_EQ(player.vol, 60);
    EXPECT_EQ(player.calls, QStringList());

    // The second start replaces the first: its fade, its end.
    timer.start(11s);
    advance(6000);
    ASSERT_LT(player.vol, 60);
    timer.start(30s);
    EXPECT_EQ(player.vol, 60);
    EXPECT_EQ(timer.countdownText(), "Sleep in 0:30");
    advance(10000);
    EXPECT_EQ(player.calls, QStringList()) << "the first length still counted";
    EXPECT_EQ(player.vol, 60);
    advance(20000);
    EXPECT_EQ(player.calls, QStringList({"stop"}));
    EXPECT_EQ(player.vol, 60);
}

TEST_F(SleepTimerTest, ShorterThanTheFadeFadesAllTheWayFromTheStart) {
    player.vol = 100;
    timer.start(2s);
    EXPECT_TRUE(timer.isFading());
    advance(1000);
    EXPECT_GE(player.vol, 45);
    EXPECT_LE(player.vol, 55);
    advance(1000);
    EXPECT_EQ(player.calls, QStringList({"stop"}));
    EXPECT_EQ(player.vol, 100);
}

TEST_F(SleepTimerTest, TheUserTouchingTheVolumeDuringTheFadeKeepsItAndEndsTheTimer) {
    timer.start(15s);
    advance(8000);
    ASSERT_TRUE(timer.isFading());
    player.setVolume(42);
    EXPECT_FALSE(timer.isRunning());
    advance(20000);
    EXPECT_EQ(player.vol, 42);
    EXPECT_EQ(player.calls, QStringList());
}

TEST_F(SleepTimerTest, StoppedByAnyoneItEndsAndAnotherStationMidFadeGetsTheVolumeBack) {
    // Stopped while counting down.
    timer.start(60s);
    player.state = platform::psStopped;
    emit player.changed();
    EXPECT_FALSE(timer.isRunning());

    // Started while stopped, then played and stopped again mid-fade.
    timer.start(12s);
    EXPECT_TRUE(timer.isRunning()) << "being stopped already is no reason to end";
    player.state = platform::psPlaying;
    emit player.changed();
    advance(5000);
    player.state = platform::psStopped;
    emit player.changed();
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(player.vol, 50);

    // Another station picked mid-fade plays at the user's volume; before the fade, the
    // timer goes on.
    player.state = platform::psPlaying;
    timer.start(30s);
    player.setURL("http://127.0.0.1:9/two");
    EXPECT_TRUE(timer.isRunning());
    advance(25000);
    ASSERT_LT(player.vol, 50);
    player.setURL("http://127.0.0.1:9/three");
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(player.vol, 50);
    advance(20000);
    EXPECT_EQ(player.calls,
              QStringList({"URL=http://127.0.0.1:9/two", "URL=http://127.0.0.1:9/three"}));
}

TEST_F(SleepTimerTest, NothingPlayingAtTheEndItJustEnds) {
    for (const int state : {platform::psStopped, platform::psReady, platform::psUndefined}) {
        player.state = state;
        timer.start(3s);
        advance(3000);
        EXPECT_FALSE(timer.isRunning()) << state;
        EXPECT_EQ(player.vol, 50) << state;
    }
    EXPECT_EQ(player.calls, QStringList());
    EXPECT_TRUE(volumes.empty()) << "the volume moved with nothing to hear";
    // A paused stream still holds its connection: the end stops it.
    player.state = platform::psPaused;
    timer.start(3s);
    advance(3000);
    EXPECT_EQ(player.calls, QStringList({"stop"}));
}

TEST(SleepTimer, ItsOwnTimerKeepsTimeWithTheRealClock) {
    fakes::FakeMediaPlayer player;
    player.state = platform::psPlaying;
    SleepTimer timer(player);
    QSignalSpy changed(&timer, &SleepTimer::changed);
    timer.start(300ms);
    EXPECT_TRUE(timer.isRunning());
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(player.calls, QStringList({"stop"}));
    EXPECT_EQ(player.vol, 50);
}

} // namespace
