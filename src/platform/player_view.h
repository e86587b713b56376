#pragma once

#include "platform/media_player.h"

#include <QWidget>

class QAction;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class QToolButton;

namespace platform {

class SleepTimer;

// What the record button asks of the program: what to record when it is pressed, and the
// two choices of its menu, which the program keeps in its options.
class RecordingSetup {
public:
    virtual ~RecordingSetup() = default;
    // The folder, the station's name and whether each title gets a file of its own.
    virtual MediaPlayer::RecordingRequest request() const = 0;
    virtual void setFilePerTitle(bool on) = 0;
    // Lets the user choose the folder; returns when they have answered.
    virtual void chooseFolder(QWidget* parent) = 0;
};

// The player's own user interface: play, pause, stop, a sleep timer, a record button,
// volume, mute and a display line with what the player is doing and what it records. It
// drives and follows any MediaPlayer.
class PlayerView : public QWidget {
    Q_OBJECT
public:
    explicit PlayerView(MediaPlayer& player, QWidget* parent = nullptr);

    // Where recordings go and what they are named after. Until it is given (by the
    // program, which knows its options and stations), the record button is disabled.
    void setRecordingSetup(RecordingSetup* setup);

    // "REC 1:23 · 1.4 MB" for a recording under way: its time (minutes and seconds, with
    // hours once it has run an hour) and its size.
    static QString recordingIndicator(const MediaPlayer::Recording& recording);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    // The sleep timer's button, its menu and its count-down, after the transport buttons.
    QToolButton* addSleepTimer(QHBoxLayout& row);
    // The record button and its menu, after the sleep timer; its indicator on the display
    // line's row.
    void addRecordButton(QHBoxLayout& row, QHBoxLayout& displayRow, QWidget* after);
    void toggleRecording(bool on);
    // Follows recording(): the button's mark, the indicator and its timer.
    void followRecording();
    void showRecordingLine();

    MediaPlayer& player_;
    QPushButton* play_;
    QPushButton* pause_;
    QPushButton* stop_;
    QToolButton* mute_;
    QSlider* volume_;
    QLabel* display_;
    SleepTimer* sleep_ = nullptr;
    RecordingSetup* recordingSetup_ = nullptr;
    QToolButton* record_ = nullptr;
    QAction* filePerTitle_ = nullptr;
    QAction* folder_ = nullptr;
    QLabel* recordingLine_ = nullptr;
    QTimer* recordingClock_ = nullptr;
    QString recordingText_; // what the indicator shows, before it is cut to fit
    QString notice_;        // why pressing the button recorded nothing
};

} // namespace platform
