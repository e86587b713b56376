// The program's stand-in player: nothing of the real player is made, and no GStreamer
// library is mapped, until the player is asked to do something.
#include "fakes.h"
#include "platform/gst/lazy_media_player.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool gstreamerMapped() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libgstreamer-1.0");
}

// A maker handing out a fake player and remembering it.
struct FakeMaker {
    int made = 0;
    fakes::FakeMediaPlayer* last = nullptr;
    platform::LazyMediaPlayer::Maker maker() {
        return [this](QString*) {
            ++made;
            auto player = std::make_unique<fakes::FakeMediaPlayer>();
            last = player.get();
            return player;
        };
    }
};

TEST(LazyMediaPlayer, AnswersForTheRealPlayerUntilFirstUseAndHandsOverMuteAndVolume) {
    FakeMaker make;
    platform::LazyMediaPlayer player(make.maker());
    EXPECT_EQ(player.URL(), QString());
    EXPECT_EQ(player.playState(), platform::psUndefined);
    EXPECT_EQ(player.status(), QString());
    EXPECT_EQ(player.settings().volume(), 50);
    EXPECT_FALSE(player.settings().mute());

    QSignalSpy changed(&player, &platform::MediaPlayer::changed);
    player.settings().setVolume(130);
    player.settings().setMute(true);
    EXPECT_EQ(player.settings().volume(), 100);
    EXPECT_TRUE(player.settings().mute());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(make.made, 0);

    player.setURL(QStringLiteral("http://127.0.0.1:1/a"));
    ASSERT_EQ(make.made, 1);
    EXPECT_TRUE(player.isLoaded());
    EXPECT_EQ(make.last->vol, 100);
    EXPECT_TRUE(make.last->muted);
    EXPECT_EQ(make.last->urls, QStringList{"http://127.0.0.1:1/a"});
}

TEST(LazyMediaPlayer, OnceMadeForwardsEveryCallAndEveryChange) {
    FakeMaker make;
    platform::LazyMediaPlayer player(make.maker());
    player.controls().stop(); // a first stop makes the player too: it reports "Stopped"
    ASSERT_EQ(make.made, 1);
    player.controls().play();
    player.controls().pause();
    player.settings().setMute(true);
    player.settings().setVolume(20);
    EXPECT_EQ(make.last->calls, QStringList({"mute=0", "stop", "play", "pause", "mute=1"}));
    EXPECT_EQ(make.last->vol, 20);

    QSignalSpy changed(&player, &platform::MediaPlayer::changed);
    make.last->state = platform::psPlaying;
    make.last->statusText = QStringLiteral("Playing: A - B");
    emit make.last->changed();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(player.playState(), platform::psPlaying);
    EXPECT_EQ(player.status(), "Playing: A - B");
    player.setURL(QStringLiteral("http://127.0.0.1:1/b"));
    EXPECT_EQ(player.URL(), "http://127.0.0.1:1/b");
    EXPECT_EQ(make.made, 1);
}

TEST(LazyMediaPlayer, APlayerThatCannotBeMadeSaysWhyOnceAndIgnoresWhatItIsAsked) {
    int attempts = 0;
    platform::LazyMediaPlayer player([&attempts](QString* error) {
        ++attempts;
        *error = QStringLiteral("no such module");
        return std::unique_ptr<platform::MediaPlayer>();
    });
    QSignalSpy changed(&player, &platform::MediaPlayer::changed);
    player.setURL(QStringLiteral("http://127.0.0.1:1/a"));
    EXPECT_EQ(player.playState(), platform::psReady);
    EXPECT_TRUE(player.status().contains("no such module")) << player.status().toStdString();
    EXPECT_GE(changed.count(), 1);
    player.controls().play();
    player.controls().stop();
    player.setURL(QStringLiteral("http://127.0.0.1:1/b"));
    EXPECT_EQ(attempts, 1);
    EXPECT_FALSE(player.isLoaded());
    EXPECT_EQ(player.URL(), "http://127.0.0.1:1/b");
}

TEST(LazyMediaPlayer, AMissingModuleIsReportedNotFatal) {
    QTemporaryDir empty;
    platform::LazyMediaPlayer player(platform::LazyMediaPlayer::fromModule(empty.path()));
    player.setURL(QStringLiteral("http://127.0.0.1:1/a"));
    EXPECT_EQ(player.playState(), platform::psReady);
    EXPECT_TRUE(player.status().contains(QStringLiteral("could not be loaded")))
        << player.status().toStdString();
}

// The real module: GStreamer arrives with the first address, and the module's player
// reports through the stand-in (its signal crosses the module boundary by name).
TEST(LazyMediaPlayer, TheRealModuleIsLoadedOnlyByTheFirstUse) {
    platform::LazyMediaPlayer player(
        platform::LazyMediaPlayer::fromModule(QStringLiteral(KORVANT_GST_MODULE_DIR)));
    player.settings().setVolume(30);
    EXPECT_FALSE(gstreamerMapped());

    QSignalSpy changed(&player, &platform::MediaPlayer::changed);
    player.setURL(QStringLiteral("no scheme at all"));
    ASSERT_TRUE(player.isLoaded()) << player.status().toStdString();
    EXPECT_TRUE(gstreamerMapped());
    EXPECT_EQ(player.settings().volume(), 30);
    EXPECT_EQ(player.playState(), platform::psReady);
    EXPECT_FALSE(player.status().isEmpty());
    EXPECT_GE(changed.count(), 1);
}

} // namespace
