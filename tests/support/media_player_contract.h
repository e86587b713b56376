#pragma once

// The MediaPlayer contract (see platform/media_player.h) as one typed test suite, run
// against every player: the tests' stand-in, the lazily loaded player and the GStreamer
// player. A test file instantiates it with a maker type:
//
//   struct MyPlayer {
//       static std::unique_ptr<platform::MediaPlayer> make();
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(My, MediaPlayerContract, MyPlayer);

#include "platform/media_player.h"
#include "wait.h"

#include <QObject>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace testsupport {

// Every changed() of a player, with the state and status it showed and the thread it came
// from.
class ChangeLog {
public:
    struct Change {
        int state;
        QString status;
        QThread* thread;
    };

    explicit ChangeLog(platform::MediaPlayer& player) : player_(player) {
        QObject::connect(
            &player, &platform::MediaPlayer::changed, &receiver_,
            [this] {
                changes.push_back(
                    {player_.playState(), player_.status(), QThread::currentThread()});
            },
            Qt::DirectConnection);
    }

    // Whether every change so far came from the thread that owns the player.
    bool allOnOwnThread() const {
        for (const Change& change : changes)
            if (change.thread != player_.thread())
                return false;
        return true;
    }

    std::vector<Change> changes;

private:
    platform::MediaPlayer& player_;
    QObject receiver_;
};

template <typename Maker> class MediaPlayerContract : public ::testing::Test {
protected:
    std::unique_ptr<platform::MediaPlayer> made = Maker::make();
};

TYPED_TEST_SUITE_P(MediaPlayerContract);

TYPED_TEST_P(MediaPlayerContract, StartsWithNoAddressUndefinedUnmutedAtHalfVolume) {
    platform::MediaPlayer& player = *this->made;
    EXPECT_EQ(player.URL(), QString());
    EXPECT_EQ(player.playState(), platform::psUndefined);
    EXPECT_EQ(player.status(), QString());
    EXPECT_FALSE(player.settings().mute());
    EXPECT_EQ(player.settings().volume(), 50);
}

TYPED_TEST_P(MediaPlayerContract, VolumeIsClampedAndOnlyRealChangesOfMuteOrVolumeAreAnnounced) {
    platform::MediaPlayer& player = *this->made;
    ChangeLog log(player);
    player.settings().setVolume(130);
    EXPECT_EQ(player.settings().volume(), 100);
    player.settings().setVolume(100);
    player.settings().setVolume(-5);
    EXPECT_EQ(player.settings().volume(), 0);
    player.settings().setMute(true);
    EXPECT_TRUE(player.settings().mute());
    player.settings().setMute(true);
    EXPECT_EQ(log.changes.size(), 3u);
    EXPECT_TRUE(log.allOnOwnThread());
}

TYPED_TEST_P(MediaPlayerContract,
             AnAddressIsKeptExactlyAsGivenAndItsWorkIsAnnouncedOnTheGuiThread) {
    platform::MediaPlayer& player = *this->made;
    ChangeLog log(player);
    const QString text = QStringLiteral("  not an address <b>at all</b>  ");
    player.setURL(text);
    EXPECT_EQ(player.URL(), text);
    EXPECT_TRUE(waitFor([&] { return !log.changes.empty(); }, 10000));
    EXPECT_TRUE(log.allOnOwnThread());
    EXPECT_EQ(player.URL(), text);
}

// Transport that needs no server, for the players that carry it out themselves (the
// tests' stand-in only records the calls: the program's tests script its states).
template <typename Maker> class MediaPlayerTransportContract : public MediaPlayerContract<Maker> {};

TYPED_TEST_SUITE_P(MediaPlayerTransportContract);

TYPED_TEST_P(MediaPlayerTransportContract, StopInAnyStateEndsStoppedAndSaysSo) {
    platform::MediaPlayer& player = *this->made;
    ChangeLog log(player);
    player.controls().stop();
    EXPECT_EQ(player.playState(), platform::psStopped);
    EXPECT_EQ(player.status(), "Stopped");
    EXPECT_FALSE(log.changes.empty());
    player.setURL(QStringLiteral("not an address"));
    player.controls().stop();
    EXPECT_EQ(player.playState(), platform::psStopped);
    EXPECT_EQ(player.status(), "Stopped");
    EXPECT_TRUE(log.allOnOwnThread());
}

TYPED_TEST_P(MediaPlayerTransportContract, PauseWithNothingPlayingChangesNothing) {
    platform::MediaPlayer& player = *this->made;
    player.controls().stop();
    ChangeLog log(player);
    player.controls().pause();
    EXPECT_EQ(player.playState(), platform::psStopped);
    EXPECT_EQ(player.status(), "Stopped");
    EXPECT_TRUE(log.changes.empty());
}

REGISTER_TYPED_TEST_SUITE_P(MediaPlayerContract, StartsWithNoAddressUndefinedUnmutedAtHalfVolume,
                            VolumeIsClampedAndOnlyRealChangesOfMuteOrVolumeAreAnnounced,
                            AnAddressIsKeptExactlyAsGivenAndItsWorkIsAnnouncedOnTheGuiThread);
REGISTER_TYPED_TEST_SUITE_P(MediaPlayerTransportContract, StopInAnyStateEndsStoppedAndSaysSo,
                            PauseWithNothingPlayingChangesNothing);

} // namespace testsupport
