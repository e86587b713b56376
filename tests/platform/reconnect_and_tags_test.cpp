// Phase-two helpers of the GStreamer player: the reconnect pacing and metadata text.
#include "platform/gst/reconnect_policy.h"
#include "platform/gst/tag_text.h"

#include <gtest/gtest.h>

namespace {

using platform::ReconnectPolicy;

TEST(ReconnectPolicy, PausesGrowBySecondsUpToAMinute) {
    std::int64_t now = 0;
    ReconnectPolicy policy([&] { return now; });
    std::vector<int> delays;
    for (int i = 0; i < 5; ++i)
        delays.push_back(policy.nextDelaySeconds());
    EXPECT_EQ(delays, std::vector<int>({1, 2, 3, 4, 5}));
    for (int i = 0; i < 100; ++i)
        policy.nextDelaySeconds();
    EXPECT_EQ(policy.nextDelaySeconds(), 60);
}

TEST(ReconnectPolicy, OnlyPlaybackThatLastsOrAResetStartsTheSeriesAgain) {
    std::int64_t now = 0;
    ReconnectPolicy policy([&] { return now; });
    policy.nextDelaySeconds();
    policy.nextDelaySeconds();
    policy.playing();
    now += 2000; // played briefly, then lost again: keeps growing
    EXPECT_EQ(policy.nextDelaySeconds(), 3);
    policy.playing();
    now += ReconnectPolicy::stablePlayMs;
    EXPECT_EQ(policy.nextDelaySeconds(), 1);
    policy.nextDelaySeconds();
    policy.reset();
    EXPECT_EQ(policy.nextDelaySeconds(), 1);
}

TEST(TagText, Utf8IsKeptAndOtherBytesAreReadAsWindows1252) {
    EXPECT_EQ(platform::decodeTagText("Caf\xC3\xA9 del Mar "), QString::fromUtf8("Café del Mar"));
    EXPECT_EQ(platform::decodeTagText("Caf\xE9 \x80 \x96 x"), QString::fromUtf8("Café € – x"));
    // Already turned into text as Latin-1 upstream: the C1 controls are mapped back.
    EXPECT_EQ(platform::decodeTagText("\xC2\x80 5"), QString::fromUtf8("€ 5"));
    EXPECT_EQ(platform::decodeTagText(QByteArray("a\0b", 3)).size(), 3);
}

} // namespace
