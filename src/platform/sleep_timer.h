#pragma once

#include "platform/media_player.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

namespace platform {

// Stops the player after a chosen time. The last ten seconds fade the volume out from
// where it stood when the fade began; then playback stops and the volume is put back, so
// that the next play starts at the volume the user had. Nothing playing at the end: the
// timer just ends.
//
// What ends it early:
// - cancel(), or another start(): nothing is stopped; a fade under way gives the volume
//   back.
// - the player stopped by anyone (the Stop button, the tray, the desktop's media keys):
//   the timer ends, and a fade under way gives the volume back.
// - during the fade, the volume set by anyone but the timer (the user on the slider): the
//   user is awake and wants to go on listening; the timer ends and their volume stays.
// - during the fade, another address opened: the timer ends and the volume is given back,
//   so that the new station plays at the volume the user had.
//
// It keeps time by a clock it is given (monotonic milliseconds) and looks at it on
// tick(), which its own timer calls often enough for the count-down and the fade; tests
// pass a clock of their own and call tick() themselves.
class SleepTimer : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>;
    static constexpr int kMinMinutes = 1;
    static constexpr int kMaxMinutes = 1440;
    static constexpr qint64 kFadeMs = 10000;
    static constexpr int kFadeStepMs = 100;

    explicit SleepTimer(MediaPlayer& player, QObject* parent = nullptr);
    SleepTimer(MediaPlayer& player, Clock clock, QObject* parent = nullptr);

    // Minutes outside kMinMinutes..kMaxMinutes: false, and nothing changes.
    bool startMinutes(int minutes);
    // Any positive length; one shorter than the fade fades all the way. Not positive: the
    // timer is cancelled.
    void start(std::chrono::milliseconds length);
    void cancel();
    // Catches up with the clock: the count-down, a step of the fade, the end.
    void tick();

    bool isRunning() const { return deadline_ >= 0; }
    bool isFading() const { return fadeFrom_ >= 0; }
    qint64 remainingMs() const;
    // "Sleep in 29:59", "Sleep in 1:30:00" (whole seconds, rounded up); empty when idle.
    QString countdownText() const;

signals:
    // Started, ended, or the count-down text changed.
    void changed();

private:
    void followPlayer();
    void finish();
    void end(bool giveVolumeBack);
    void schedule(qint64 remaining);
    void announceIfNew();

    MediaPlayer& player_;
    Clock clock_;
    QTimer timer_;
    qint64 deadline_ = -1; // clock time of the end; -1: idle
    qint64 fadeLength_ = kFadeMs;
    int fadeFrom_ = -1;  // volume when the fade began; -1: not fading
    int volumeSet_ = -1; // the last volume the fade set
    QString fadeUrl_;    // the address playing when the fade began
    bool playerStopped_ = false;
    QString shown_; // the count-down text last announced
};

} // namespace platform
