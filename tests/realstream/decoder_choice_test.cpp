// Which decoder turns a stream into sound. For MP3 it matters beyond the sound: libav's
// plug-in ties with the lighter decoder there and maps some two hundred libraries, so
// picking it costs memory and start time on every MP3 station. Formats that only libav
// decodes must still play.
#include "platform/gst/gst_media_player.h"
#include "stream_support.h"

#include <QFile>
#include <gtest/gtest.h>

using platform::GstMediaPlayer;
using namespace realstream;

namespace {

bool libavMapped() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libgstlibav");
}

TEST(DecoderChoice, Mp3MountPlaysTheToneWithoutLoadingLibav) {
    StreamServer server;
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    // Only meaningful in a process that has not loaded it for something else already.
    const bool libavBefore = libavMapped();
    Capture capture;
    GstMediaPlayer player{capture.sinkDescription()};
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 15000))
        << player.status().toStdString();
    skipOnset(capture);
    EXPECT_GT(nextBlockTone(capture), 0.9);

    const QStringList decoders = player.decoders();
    const std::string names = decoders.join(' ').toStdString();
    ASSERT_FALSE(decoders.isEmpty()) << "no decoder found in the pipeline";
    for (const QString& name : decoders)
        EXPECT_FALSE(name.startsWith("avdec_")) << "libav decodes the MP3 stream: " << names;
    if (!libavBefore) {
        EXPECT_FALSE(libavMapped()) << "libav's plug-in was loaded; decoders: " << names;
    }
}

TEST(DecoderChoice, AacStationStillPlaysTheTone) {
    // Six seconds of the tone as ADTS AAC, served as a station would send it.
    QString error;
    TinyHttpServer web;
    web.pages["/aac"] = {"audio/aac", adtsTone(6, &error)};
    ASSERT_GT(web.pages["/aac"].body.size(), 40000) << error.toStdString();

    Capture capture;
    GstMediaPlayer player{capture.sinkDescription()};
    player.setURL(web.url("/aac"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 15000))
        << player.status().toStdString();
    skipOnset(capture);
    EXPECT_GT(nextBlockTone(capture), 0.9);
    EXPECT_FALSE(player.decoders().isEmpty());
}

} // namespace
