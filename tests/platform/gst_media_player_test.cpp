// The GStreamer player's behaviour that needs no server: its state at creation, addresses
// it refuses, and that creating it costs no GStreamer start-up.
#include "platform/gst/gst_media_player.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include "wait.h"

namespace {

using testsupport::waitFor;

TEST(GstMediaPlayer, StartsEmptyUnmutedAtHalfVolumeWithoutStartingGStreamer) {
    platform::GstMediaPlayer player;
    EXPECT_FALSE(gst_is_initialized());
    EXPECT_EQ(player.URL(), "");
    EXPECT_EQ(player.playState(), platform::psUndefined);
    EXPECT_FALSE(player.settings().mute());
    EXPECT_EQ(player.settings().volume(), 50);
    player.settings().setVolume(70);
    player.settings().setMute(true);
    player.controls().pause();
    EXPECT_FALSE(gst_is_initialized());
    EXPECT_EQ(player.settings().volume(), 70);
    EXPECT_TRUE(player.settings().mute());
}

TEST(GstMediaPlayer, VolumeStaysWithinZeroToHundredAndEveryChangeIsAnnounced) {
    platform::GstMediaPlayer player;
    QSignalSpy changed(&player, &platform::MediaPlayer::changed);
    player.settings().setVolume(150);
    EXPECT_EQ(player.settings().volume(), 100);
    player.settings().setVolume(-5);
    EXPECT_EQ(player.settings().volume(), 0);
    player.settings().setMute(true);
    EXPECT_EQ(changed.count(), 3);
    player.settings().setMute(true);
    EXPECT_EQ(changed.count(), 3);
}

TEST(GstMediaPlayer, UnusableTextFailsAtOnceWithAReasonAndKeepsTheTextAsItsUrl) {
    platform::GstMediaPlayer player("fakesink");
    QSignalSpy changed(&player, &platform::MediaPlayer::changed);
    player.setURL("  ");
    EXPECT_EQ(player.URL(), "  ");
    EXPECT_EQ(player.playState(), platform::psReady);
    EXPECT_EQ(player.status(), "No address to play");
    EXPECT_EQ(changed.count(), 1);
    player.setURL("not an address");
    EXPECT_EQ(player.status(), "Not a valid stream address");
    player.controls().play(); // tries the same text again, with the same answer
    EXPECT_EQ(player.playState(), platform::psReady);
    EXPECT_EQ(player.status(), "Not a valid stream address");
}

TEST(GstMediaPlayer, MissingOrNonAudioLocalFilesFailWithAReason) {
    QTemporaryDir dir;
    platform::GstMediaPlayer player("fakesink");
    player.setURL(dir.filePath("missing.mp3"));
    EXPECT_TRUE(waitFor([&] { return player.playState() == platform::psReady; }, 5000));
    EXPECT_EQ(player.status(), "File not found");

    QFile text(dir.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("These are not sounds.\n");
    text.close();
    player.setURL(text.fileName());
    EXPECT_TRUE(waitFor([&] { return player.playState() == platform::psReady; }, 5000));
    EXPECT_EQ(player.status(), "Not an audio stream");
}

TEST(GstMediaPlayer, StopAndPlayWithNothingToPlayAreHarmless) {
    platform::GstMediaPlayer player("fakesink");
    player.controls().stop();
    EXPECT_EQ(player.playState(), platform::psStopped);
    player.controls().pause();
    EXPECT_EQ(player.playState(), platform::psStopped);
    player.controls().play();
    EXPECT_EQ(player.playState(), platform::psReady);
    EXPECT_EQ(player.status(), "No address to play");
}

TEST(GstMediaPlayer, ABrokenAudioOutputIsReportedNotFatal) {
    platform::GstMediaPlayer player("nosuchelement ! fakesink");
    player.setURL("file:///nonexistent.mp3");
    EXPECT_EQ(player.playState(), platform::psReady);
    EXPECT_TRUE(player.status().startsWith("The audio output could not be made"))
        << player.status().toStdString();
}

} // namespace
