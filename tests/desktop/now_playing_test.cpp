// What the desktop is told about the player and what its requests do, over a fake player
// and ten favourite slots held by the test.
#include "fakes.h"

#include "desktop/notifier.h"
#include "desktop/now_playing.h"

#include <QDBusObjectPath>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using desktop::NowPlaying;

struct Program {
    QStringList names{"One", "", "Three", "", "", "Six", "", "", "", ""};
    QStringList urls{"http://127.0.0.1:9/one",
                     "",
                     "http://127.0.0.1:9/three",
                     "",
                     "",
                     "http://127.0.0.1:9/six",
                     "",
                     "",
                     "",
                     ""};
    QList<int> played;
    fakes::FakeMediaPlayer* player = nullptr;

    desktop::ProgramHooks hooks() {
        desktop::ProgramHooks h;
        h.stationNames = [this] { return names; };
        h.stationUrls = [this] { return urls; };
        h.playStation = [this](int slot) {
            played << slot;
            player->setURL(urls[slot]);
        };
        h.otherStationName = [](const QString& url) {
            return url == QLatin1String("http://127.0.0.1:9/start") ? QStringLiteral("Start-up")
                                                                    : QString();
        };
        return h;
    }
};

class NowPlayingTest : public ::testing::Test {
protected:
    NowPlayingTest() {
        program.player = &player;
        model = std::make_unique<NowPlaying>(player, program.hooks(),
                                             QStringLiteral("file:///tmp/korvant.png"));
    }
    QString metadataText(const char* key) const {
        return model->metadata().value(QLatin1String(key)).toString();
    }
    QString trackId() const {
        return model->metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
    }

    fakes::FakeMediaPlayer player;
    Program program;
    std::unique_ptr<NowPlaying> model;
};

TEST(PlaybackStatus, IsPlayingWhileThePlayerConnectsBuffersReconnectsOrPlays) {
    for (const int state : {platform::psTransitioning, platform::psBuffering, platform::psWaiting,
                            platform::psReconnecting, platform::psPlaying})
        EXPECT_EQ(desktop::playbackStatus(state), "Playing") << state;
    EXPECT_EQ(desktop::playbackStatus(platform::psPaused), "Paused");
    for (const int state :
         {platform::psUndefined, platform::psStopped, platform::psMediaEnded, platform::psReady})
        EXPECT_EQ(desktop::playbackStatus(state), "Stopped") << state;
}

TEST(DesktopVolume, MapsThePlayersHundredStepsToOneAndBackRoundedAndClamped) {
    EXPECT_DOUBLE_EQ(desktop::volumeToDesktop(0), 0.0);
    EXPECT_DOUBLE_EQ(desktop::volumeToDesktop(50), 0.5);
    EXPECT_DOUBLE_EQ(desktop::volumeToDesktop(100), 1.0);
    EXPECT_EQ(desktop::volumeFromDesktop(0.29), 29); // 0.29 * 100 is 28.999...
    EXPECT_EQ(desktop::volumeFromDesktop(1.0), 100);
    EXPECT_EQ(desktop::volumeFromDesktop(1.7), 100);
    EXPECT_EQ(desktop::volumeFromDesktop(-0.2), 0);
    EXPECT_EQ(desktop::volumeFromDesktop(std::nan("")), 0);
}

TEST(StepStation, SkipsSlotsWithoutAnAddressAndWrapsAtBothEnds) {
    const QStringList urls{"a", "", "c", " ", "", "f", "", "", "", ""};
    EXPECT_EQ(desktop::stepStation(urls, 0, +1), 2);
    EXPECT_EQ(desktop::stepStation(urls, 2, +1), 5);
    EXPECT_EQ(desktop::stepStation(urls, 5, +1), 0);
    EXPECT_EQ(desktop::stepStation(urls, 0, -1), 5);
    EXPECT_EQ(desktop::stepStation(urls, 5, -1), 2);
}

TEST(StepStation, StartsAtTheFirstOrLastFavouriteWhenWhatPlaysIsNotOne) {
    const QStringList urls{"", "b", "", "d", "", "", "", "", "", ""};
    EXPECT_EQ(desktop::stepStation(urls, -1, +1), 1);
    EXPECT_EQ(desktop::stepStation(urls, -1, -1), 3);
    EXPECT_EQ(desktop::stepStation(QStringList(10), -1, +1), -1);
    EXPECT_EQ(desktop::stepStation(QStringList{"", "only", ""}, 1, +1), 1);
}

TEST(CleanedTitle, DropsControlAndDirectionCharactersAndCapsTheLength) {
    EXPECT_EQ(desktop::cleanedTitle(QString::fromUtf8("Song\x07\x1b[31m\u202Egnos\u2066 A\nB")),
              QString::fromUtf8("Song[31mgnos A B"));
    EXPECT_EQ(desktop::cleanedTitle(QString(5000, QLatin1Char('x'))).size(), 256);
    // A character outside the basic plane is kept whole or left out, never halved.
    const QString faces = QString::fromUtf8("\U0001F600").repeated(200);
    const QString cut = desktop::cleanedTitle(faces);
    ASSERT_GE(cut.size(), 255);
    EXPECT_LE(cut.size(), 256);
    EXPECT_EQ(cut.back(), QChar(0x2026)); // what was cut is marked
    EXPECT_TRUE(cut.at(cut.size() - 2).isLowSurrogate());
}

TEST_F(NowPlayingTest, HasOnlyTheNoTrackIdBeforeAnythingIsChosen) {
    EXPECT_EQ(trackId(), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    EXPECT_EQ(model->metadata().size(), 1);
    EXPECT_EQ(model->playbackStatus(), "Stopped");
}

TEST_F(NowPlayingTest, ShowsTheStationNameAsTitleUntilTheStreamAnnouncesOne) {
    model->next();
    EXPECT_EQ(metadataText("xesam:title"), "One");
    EXPECT_EQ(model->metadata().value("xesam:artist").toStringList(), QStringList{"One"});
    EXPECT_EQ(metadataText("xesam:url"), "http://127.0.0.1:9/one");
    EXPECT_EQ(metadataText("mpris:artUrl"), "file:///tmp/korvant.png");
    EXPECT_TRUE(trackId().startsWith("/org/korvant/KorvantLite/station/"))
        << trackId().toStdString();

    QSignalSpy titles(model.get(), &NowPlaying::titleChanged);
    player.titleText = "Sine \x01Song";
    emit player.changed();
    EXPECT_EQ(metadataText("xesam:title"), "Sine Song");
    EXPECT_EQ(model->metadata().value("xesam:artist").toStringList(), QStringList{"One"});
    ASSERT_EQ(titles.size(), 1);
    EXPECT_EQ(titles[0][0].toString(), "Sine Song");
    EXPECT_EQ(titles[0][1].toString(), "One");
    emit player.changed(); // the same title again is no news
    EXPECT_EQ(titles.size(), 1);
}

TEST_F(NowPlayingTest, ANewStationDropsTheOldTitleAndGetsANewTrackId) {
    model->next();
    player.titleText = "Old Song";
    emit player.changed();
    const QString first = trackId();
    model->next(); // the fake still says "Old Song", as a player may until it opens
    EXPECT_EQ(metadataText("xesam:title"), "Three");
    EXPECT_NE(trackId(), first);
}

TEST_F(NowPlayingTest, NamesAStationThatIsNotAFavouriteByTheProgramsOtherNames) {
    player.setURL("http://127.0.0.1:9/start");
    EXPECT_EQ(metadataText("xesam:title"), "Start-up");
    player.setURL("http://127.0.0.1:9/unknown");
    EXPECT_EQ(metadataText("xesam:title"), "http://127.0.0.1:9/unknown");
    EXPECT_FALSE(model->metadata().contains("xesam:artist"));
}

TEST_F(NowPlayingTest, NextAndPreviousStepThroughFavouritesWithAnAddressWrapping) {
    model->next();
    model->next();
    model->next();
    model->next();
    model->previous();
    model->previous();
    EXPECT_EQ(program.played, (QList<int>{0, 2, 5, 0, 5, 2}));
}

TEST_F(NowPlayingTest, NextMovesPastASlotWhoseAddressRepeatsAnEarlierOne) {
    program.urls[5] = program.urls[0];
    program.names[5] = "One again";
    model->next();
    model->next();
    model->next();
    EXPECT_EQ(model->metadata().value("xesam:artist").toStringList(), QStringList{"One again"});
    model->next();
    EXPECT_EQ(program.played, (QList<int>{0, 2, 5, 0}));
}

TEST_F(NowPlayingTest, PlayWithNothingChosenStartsTheFirstFavouriteAndOtherwiseResumes) {
    model->play();
    EXPECT_EQ(program.played, QList<int>{0});
    player.state = platform::psStopped;
    player.calls.clear();
    model->play();
    EXPECT_EQ(player.calls, QStringList{"play"});
}

TEST_F(NowPlayingTest, PlayPauseAndPauseDecideFromThePlayersState) {
    player.setURL(program.urls[0]);
    player.calls.clear();
    player.state = platform::psBuffering;
    model->playPause();
    player.state = platform::psPaused;
    model->pause(); // already paused: nothing to do
    model->playPause();
    model->stop();
    EXPECT_EQ(player.calls, (QStringList{"pause", "play", "stop"}));
}

TEST_F(NowPlayingTest, ReportsOnlyWhatChangedAndAVolumeSetFromTheDesktop) {
    QSignalSpy changes(model.get(), &NowPlaying::propertiesChanged);
    player.state = platform::psPlaying;
    emit player.changed();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0][0].toMap().keys(), QStringList{"PlaybackStatus"});

    model->setVolume(0.3); // the fake, like some players, does not report volume itself
    EXPECT_EQ(player.vol, 30);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_DOUBLE_EQ(changes[1][0].toMap().value("Volume").toDouble(), 0.3);
    emit player.changed();
    EXPECT_EQ(changes.size(), 2);
}

TEST(NotificationBody, ShowsMarkupInAStationNameAsPlainText) {
    EXPECT_EQ(desktop::Notifier::bodyFor("<b>Rock</b> & Roll"),
              "&lt;b&gt;Rock&lt;/b&gt; &amp; Roll");
}

} // namespace
