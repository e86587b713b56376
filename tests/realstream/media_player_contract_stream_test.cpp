// The MediaPlayer contract kept by the GStreamer player, directly and through the lazily
// loaded module: the calls that need no server, and a real station on loopback through
// every state the program sees.
#include "media_player_contract.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/lazy_media_player.h"
#include "stream_support.h"

#include <algorithm>

using namespace realstream;

namespace {

constexpr int startTimeoutMs = 15000;

struct Real {
    static std::unique_ptr<platform::MediaPlayer> make(const QString& sink = "fakesink") {
        return std::make_unique<platform::GstMediaPlayer>(sink);
    }
};

struct LazyOverModule {
    static std::unique_ptr<platform::MediaPlayer> make(const QString& sink = "fakesink") {
        return std::make_unique<platform::LazyMediaPlayer>(
            platform::LazyMediaPlayer::fromModule(QStringLiteral(KORVANT_GST_MODULE_DIR), sink));
    }
};

template <typename Maker> class MediaPlayerStreamContract : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.ok()) << server.error().toStdString(); }

    bool waitState(int state, int timeoutMs = startTimeoutMs) {
        return waitFor([&] { return made->playState() == state; }, timeoutMs);
    }

    StreamServer server;
    Capture capture;
    std::unique_ptr<platform::MediaPlayer> made = Maker::make(capture.sinkDescription());
};

TYPED_TEST_SUITE_P(MediaPlayerStreamContract);

TYPED_TEST_P(MediaPlayerStreamContract, AStationOpensThenPlaysAndPausePlayAndStopDoWhatTheySay) {
    platform::MediaPlayer& player = *this->made;
    testsupport::ChangeLog log(player);
    player.setURL(this->server.url("/live.mp3"));
    ASSERT_TRUE(this->waitState(platform::psPlaying)) << player.status().toStdString();
    EXPECT_TRUE(player.status().startsWith("Playing")) << player.status().toStdString();
    ASSERT_FALSE(log.changes.empty());
    EXPECT_EQ(log.changes.front().state, platform::psTransitioning);
    for (const auto& change : log.changes)
        EXPECT_TRUE(change.state == platform::psTransitioning ||
                    change.state == platform::psBuffering || change.state == platform::psPlaying)
            << change.state << " " << change.status.toStdString();

    const std::size_t before = log.changes.size();
    player.controls().play(); // already playing: nothing
    EXPECT_EQ(player.playState(), platform::psPlaying);
    EXPECT_EQ(log.changes.size(), before);

    player.controls().pause();
    EXPECT_EQ(player.playState(), platform::psPaused);
    EXPECT_EQ(player.status(), "Paused");
    player.controls().play();
    EXPECT_EQ(player.playState(), platform::psTransitioning);
    EXPECT_EQ(player.status(), "Resuming...");
    EXPECT_TRUE(this->waitState(platform::psPlaying)) << player.status().toStdString();

    player.controls().stop();
    EXPECT_EQ(player.playState(), platform::psStopped);
    EXPECT_EQ(player.status(), "Stopped");
    EXPECT_TRUE(log.allOnOwnThread());
}

TYPED_TEST_P(MediaPlayerStreamContract,
             AnAddressWithNothingBehindItEndsReadyWithAReasonAndPlayTriesAgain) {
    platform::MediaPlayer& player = *this->made;
    RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    testsupport::ChangeLog log(player);
    player.setURL(refusing.url("/live.mp3"));
    ASSERT_TRUE(this->waitState(platform::psReady, 45000)) << player.status().toStdString();
    EXPECT_FALSE(player.status().isEmpty());

    const std::size_t before = log.changes.size();
    player.controls().play();
    EXPECT_TRUE(this->waitState(platform::psReady, 45000)) << player.status().toStdString();
    EXPECT_FALSE(player.status().isEmpty());
    EXPECT_TRUE(
        std::any_of(log.changes.begin() + std::ptrdiff_t(before), log.changes.end(),
                    [](const auto& change) { return change.state == platform::psTransitioning; }));
    EXPECT_TRUE(log.allOnOwnThread());
}

REGISTER_TYPED_TEST_SUITE_P(MediaPlayerStreamContract,
                            AStationOpensThenPlaysAndPausePlayAndStopDoWhatTheySay,
                            AnAddressWithNothingBehindItEndsReadyWithAReasonAndPlayTriesAgain);

} // namespace

namespace testsupport {
INSTANTIATE_TYPED_TEST_SUITE_P(GstMediaPlayer, MediaPlayerContract, Real);
INSTANTIATE_TYPED_TEST_SUITE_P(GstMediaPlayer, MediaPlayerTransportContract, Real);
} // namespace testsupport
INSTANTIATE_TYPED_TEST_SUITE_P(GstMediaPlayer, MediaPlayerStreamContract, Real);
INSTANTIATE_TYPED_TEST_SUITE_P(LazyMediaPlayer, MediaPlayerStreamContract, LazyOverModule);
