// Phase-two helpers of the GStreamer player: the reconnect pacing and metadata text.
// GStreamer first: Qt's keyword macros must not meet GLib's headers.
#include <gst/gst.h>

#include "common/remote_text.h"
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
    // A NUL neither ends the text nor stays in it.
    EXPECT_EQ(platform::decodeTagText(QByteArray("a\0b", 3)), "ab");
}

TEST(TagText, ATitleIsOneCappedLineWithoutControlsOrDirectionOverrides) {
    EXPECT_EQ(platform::decodeTagText("Artist\r\n - \x1b[2JSong\t\xE2\x80\xAE"
                                      "3pm.exe"),
              "Artist  - [2JSong 3pm.exe");
    // Windows-1252 text too.
    EXPECT_EQ(platform::decodeTagText("Caf\xE9\nBar"), QString::fromUtf8("Café Bar"));
    const QString huge = platform::decodeTagText(QByteArray(100 * 1024, 'x'));
    EXPECT_EQ(huge.size(), common::kRemoteTextMaxLength);
    EXPECT_EQ(huge.back(), QChar(0x2026));
    // The cut before decoding keeps long UTF-8 as UTF-8.
    QByteArray accents;
    while (accents.size() < 100 * 1024)
        accents += "\xC3\xA9";
    const QString decoded = platform::decodeTagText("x" + accents);
    EXPECT_EQ(decoded.size(), common::kRemoteTextMaxLength);
    EXPECT_EQ(decoded.at(1), QChar(0xE9));
}

QString tagOf(const GstTagList* tags, const char* tag) {
    const gchar* value = nullptr;
    return gst_tag_list_peek_string_index(tags, tag, 0, &value) ? QString::fromUtf8(value)
                                                                : QString();
}

TEST(TagText, TextTagsReachTheAudioOutputAsOneCappedLineAndOthersUnchanged) {
    ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
    GstElement* output =
        gst_parse_bin_from_description("fakesink name=out sync=false async=false", TRUE, nullptr);
    ASSERT_NE(output, nullptr);
    gst_object_ref_sink(output);
    platform::cleanTextTagsReaching(output);
    GstElement* inner = gst_bin_get_by_name(reinterpret_cast<GstBin*>(output), "out");
    GstPad* innerPad = gst_element_get_static_pad(inner, "sink");
    GstPad* pad = gst_element_get_static_pad(output, "sink");
    ASSERT_EQ(gst_element_set_state(output, GST_STATE_PLAYING), GST_STATE_CHANGE_SUCCESS);

    // PulseAudio drops a client whose stream title runs to tens of kilobytes.
    const QByteArray huge(100 * 1024, 't');
    GstTagList* tags =
        gst_tag_list_new(GST_TAG_TITLE, huge.constData(), GST_TAG_ARTIST,
                         "Two\nLines \xE2\x80\xAE"
                         "3pm.exe",
                         GST_TAG_ALBUM, "Plain Album", GST_TAG_TRACK_NUMBER, 7u, nullptr);
    EXPECT_TRUE(gst_pad_send_event(pad, gst_event_new_stream_start("hostile")));
    EXPECT_TRUE(gst_pad_send_event(pad, gst_event_new_tag(tags)));

    GstEvent* reached = gst_pad_get_sticky_event(innerPad, GST_EVENT_TAG, 0);
    ASSERT_NE(reached, nullptr);
    GstTagList* seen = nullptr;
    gst_event_parse_tag(reached, &seen);
    const QString title = tagOf(seen, GST_TAG_TITLE);
    EXPECT_EQ(title.size(), common::kRemoteTextMaxLength);
    EXPECT_TRUE(title.startsWith("tttt"));
    EXPECT_EQ(tagOf(seen, GST_TAG_ARTIST), "Two Lines 3pm.exe");
    EXPECT_EQ(tagOf(seen, GST_TAG_ALBUM), "Plain Album");
    guint track = 0;
    EXPECT_TRUE(gst_tag_list_get_uint(seen, GST_TAG_TRACK_NUMBER, &track));
    EXPECT_EQ(track, 7u);

    gst_event_unref(reached);
    gst_element_set_state(output, GST_STATE_NULL);
    gst_object_unref(pad);
    gst_object_unref(innerPad);
    gst_object_unref(inner);
    gst_object_unref(output);
}

} // namespace
