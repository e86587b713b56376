// The player's own controls drive any MediaPlayer and show what it is doing.
#include "fakes.h"
#include "platform/player_view.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

template <typename T> T* byName(QWidget& root, const QString& name) {
    for (T* w : root.findChildren<T*>())
        if (w->accessibleName() == name)
            return w;
    return nullptr;
}

TEST(PlayerView, ShowsTransportMuteVolumeAtFiftyAndAStatusLine) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    for (const char* name : {"Play", "Pause", "Stop"})
        EXPECT_NE(byName<QPushButton>(view, name), nullptr) << name;
    ASSERT_NE(byName<QToolButton>(view, "Mute"), nullptr);
    ASSERT_NE(byName<QSlider>(view, "Volume"), nullptr);
    EXPECT_EQ(byName<QSlider>(view, "Volume")->value(), 50);
    ASSERT_NE(byName<QLabel>(view, "Player status"), nullptr);
    EXPECT_EQ(byName<QLabel>(view, "Player status")->text(), "Ready");
}

TEST(PlayerView, ButtonsAndSliderDriveThePlayer) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    byName<QPushButton>(view, "Play")->click();
    byName<QPushButton>(view, "Pause")->click();
    byName<QPushButton>(view, "Stop")->click();
    byName<QToolButton>(view, "Mute")->click();
    EXPECT_EQ(player.calls, QStringList({"play", "pause", "stop", "mute=1"}));
    byName<QSlider>(view, "Volume")->setValue(80);
    EXPECT_EQ(player.vol, 80);
}

TEST(PlayerView, FollowsChangesMadeToThePlayerElsewhere) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    player.statusText = "Buffering 45%";
    player.muted = true;
    player.vol = 20;
    emit player.changed();
    EXPECT_EQ(byName<QLabel>(view, "Player status")->text(), "Buffering 45%");
    EXPECT_TRUE(byName<QToolButton>(view, "Mute")->isChecked());
    EXPECT_EQ(byName<QSlider>(view, "Volume")->value(), 20);
    EXPECT_EQ(player.calls, QStringList()); // following is not driving
}

} // namespace
