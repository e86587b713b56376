// The sleep timer with the real GStreamer player on a live loopback stream: the tone
// fades out, the player stops, and the volume is back for the next play.
#include "platform/gst/gst_media_player.h"
#include "platform/sleep_timer.h"
#include "stream_support.h"

#include <gtest/gtest.h>
#include <vector>

using namespace realstream;
using namespace std::chrono_literals;

namespace {

constexpr int startTimeoutMs = 15000;
constexpr std::size_t halfSecond = Capture::rate / 2;

TEST(SleepTimerStream, TheToneFadesOutThePlayerStopsAndTheNextPlayIsAtTheOldVolume) {
    StreamServer server;
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    Capture capture;
    platform::GstMediaPlayer player{capture.sinkDescription()};
    player.settings().setVolume(70);
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, startTimeoutMs))
        << player.status().toStdString();
    skipOnset(capture);
    ASSERT_GT(nextBlockTone(capture), 0.9);
    const double before = nextBlockLevel(capture);
    ASSERT_GT(before, 0.01);

    // Four seconds, all of them fading.
    platform::SleepTimer timer(player);
    const std::size_t fadeStart = capture.sampleCount();
    timer.start(4s);
    ASSERT_TRUE(timer.isFading());
    ASSERT_TRUE(waitFor([&] { return !timer.isRunning(); }, 20000));
    const std::size_t fadeEnd = capture.sampleCount();
    EXPECT_EQ(player.playState(), platform::psStopped) << player.status().toStdString();
    EXPECT_EQ(player.settings().volume(), 70);

    // Half-second levels over the fade: heard at first, falling all the way, near silence
    // at the end.
    const std::vector<int16_t> samples = capture.samples();
    ASSERT_GE(fadeEnd, fadeStart + 7 * halfSecond) << "the fade ran short of audio";
    std::vector<double> levels;
    for (std::size_t at = fadeStart; at + halfSecond <= fadeEnd; at += halfSecond)
        levels.push_back(rms(samples, at, halfSecond));
    std::string shown;
    for (const double level : levels)
        shown += std::to_string(level / before) + " ";
    ::testing::Test::RecordProperty("fade_levels_against_before", shown);
    EXPECT_GT(toneShare(samples, fadeStart, halfSecond, 440), 0.9);
    EXPECT_GT(levels.front(), 0.5 * before) << shown;
    for (std::size_t i = 1; i < levels.size(); ++i)
        EXPECT_LT(levels[i], levels[i - 1] * 1.05 + 1e-4) << "block " << i << ": " << shown;
    EXPECT_LT(levels[4], 0.3 * before) << shown;
    EXPECT_LT(levels.back(), 0.05 * before) << shown;

    // The stream is gone; played again, it is as loud as before the fade.
    player.controls().play();
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, startTimeoutMs))
        << player.status().toStdString();
    skipOnset(capture);
    const double after = nextBlockLevel(capture);
    EXPECT_GT(after, 0.8 * before) << after << " against " << before;
    EXPECT_LT(after, 1.25 * before) << after << " against " << before;
}

} // namespace
