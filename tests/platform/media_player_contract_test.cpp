// The MediaPlayer contract kept by the tests' stand-in and by the lazily loaded player over
// the real module, so that neither drifts from what the GStreamer player does.
#include "fakes.h"
#include "media_player_contract.h"
#include "platform/gst/lazy_media_player.h"

namespace {

struct StandIn {
    static std::unique_ptr<platform::MediaPlayer> make() {
        return std::make_unique<fakes::FakeMediaPlayer>();
    }
};

struct LazyOverModule {
    static std::unique_ptr<platform::MediaPlayer> make() {
        return std::make_unique<platform::LazyMediaPlayer>(platform::LazyMediaPlayer::fromModule(
            QStringLiteral(KORVANT_GST_MODULE_DIR), QStringLiteral("fakesink")));
    }
};

} // namespace

namespace testsupport {
INSTANTIATE_TYPED_TEST_SUITE_P(FakeMediaPlayer, MediaPlayerContract, StandIn);
INSTANTIATE_TYPED_TEST_SUITE_P(LazyMediaPlayer, MediaPlayerContract, LazyOverModule);
INSTANTIATE_TYPED_TEST_SUITE_P(LazyMediaPlayer, MediaPlayerTransportContract, LazyOverModule);
} // namespace testsupport
