#pragma once

#include "platform/media_player.h"

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace platform {

class SleepTimer;

// The player's own user interface: play, pause, stop, a sleep timer, volume, mute and a
// display line with what the player is doing. It drives and follows any MediaPlayer.
class PlayerView : public QWidget {
    Q_OBJECT
public:
    explicit PlayerView(MediaPlayer& player, QWidget* parent = nullptr);

private:
    void refresh();
    // The sleep timer's button, its menu and its count-down, after the transport buttons.
    void addSleepTimer(QHBoxLayout& row);

    MediaPlayer& player_;
    QPushButton* play_;
    QPushButton* pause_;
    QPushButton* stop_;
    QToolButton* mute_;
    QSlider* volume_;
    QLabel* display_;
    SleepTimer* sleep_ = nullptr;
};

} // namespace platform
