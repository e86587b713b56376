#include "platform/sleep_timer.h"

#include <algorithm>

namespace platform {

namespace {

qint64 steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Whether stopping the player would end anything: it plays, opens, buffers, retries or
// holds a paused stream.
bool busy(int state) {
    return state != psUndefined && state != psStopped && state != psReady;
}

} // namespace

SleepTimer::SleepTimer(MediaPlayer& player, QObject* parent)
    : SleepTimer(player, steadyMilliseconds, parent) {}

SleepTimer::SleepTimer(MediaPlayer& player, Clock clock, QObject* parent)
    : QObject(parent), player_(player), clock_(std::move(clock)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SleepTimer::tick);
    connect(&player_, &MediaPlayer::changed, this, &SleepTimer::followPlayer);
}

bool SleepTimer::startMinutes(int minutes) {
    if (minutes < kMinMinutes || minutes > kMaxMinutes)
        return false;
    start(std::chrono::minutes(minutes));
    return true;
}

void SleepTimer::start(std::chrono::milliseconds length) {
    // A fade under way gives the volume back first, so that the new one starts from it.
    end(true);
    if (length.count() <= 0)
        return;
    deadline_ = clock_() + length.count();
    fadeLength_ = std::min<qint64>(kFadeMs, length.count());
    playerStopped_ = player_.playState() == psStopped;
    tick();
}

void SleepTimer::cancel() {
    end(true);
}

qint64 SleepTimer::remainingMs() const {
    return isRunning() ? std::max<qint64>(0, deadline_ - clock_()) : 0;
}

QString SleepTimer::countdownText() const {
    if (!isRunning())
        return {};
    const qint64 seconds = (remainingMs() + 999) / 1000;
    const QString sec = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds >= 3600)
        return tr("Sleep in %1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(sec);
    return tr("Sleep in %1:%2").arg(seconds / 60).arg(sec);
}

void SleepTimer::tick() {
    if (!isRunning())
        return;
    const qint64 remaining = deadline_ - clock_();
    if (remaining <= 0) {
        finish();
        return;
    }
    // The fade waits for something to be heard; one that begins late spans what is left.
    if (remaining <= fadeLength_ && (isFading() || busy(player_.playState()))) {
        if (!isFading()) {
            fadeLength_ = remaining;
            fadeFrom_ = player_.settings().volume();
            volumeSet_ = fadeFrom_;
            fadeUrl_ = player_.URL();
        }
        // Straight down in the player's own units, which already follow the ear.
        const int step = int((fadeFrom_ * remaining + fadeLength_ / 2) / fadeLength_);
        if (step < volumeSet_) {
            volumeSet_ = step;
            player_.settings().setVolume(step);
        }
    }
    schedule(remaining);
    announceIfNew();
}

void SleepTimer::schedule(qint64 remaining) {
    qint64 next = 0;
    if (remaining <= fadeLength_) {
        next = std::min<qint64>(kFadeStepMs, remaining);
    } else {
        // The next change of the whole seconds shown, or the start of the fade.
        next = remaining % 1000 == 0 ? 1000 : remaining % 1000;
        next = std::min(next, remaining - fadeLength_);
    }
    timer_.start(int(std::clamp<qint64>(next, 1, 1000)));
}

void SleepTimer::announceIfNew() {
    const QString text = countdownText();
    if (text == shown_)
        return;
    shown_ = text;
    emit changed();
}

void SleepTimer::finish() {
    const bool fading = isFading();
    const int volume = fadeFrom_;
    if (fading && volumeSet_ > 0) {
        volumeSet_ = 0;
        player_.settings().setVolume(0);
    }
    // Idle before the player is touched, so that what it reports back is not taken for the
    // user's doing.
    deadline_ = -1;
    fadeFrom_ = -1;
    timer_.stop();
    if (busy(player_.playState()))
        player_.controls().stop();
    if (fading)
        player_.settings().setVolume(volume);
    announceIfNew();
}

void SleepTimer::end(bool giveVolumeBack) {
    if (!isRunning())
        return;
    const bool fading = isFading();
    const int volume = fadeFrom_;
    deadline_ = -1;
    fadeFrom_ = -1;
    timer_.stop();
    if (fading && giveVolumeBack)
        player_.settings().setVolume(volume);
    announceIfNew();
}

void SleepTimer::followPlayer() {
    if (!isRunning())
        return;
    const bool stopped = player_.playState() == psStopped;
    if (stopped && !playerStopped_) {
        end(true);
        return;
    }
    playerStopped_ = stopped;
    if (!isFading())
        return;
    if (player_.settings().volume() != volumeSet_)
        end(false);
    else if (player_.URL() != fadeUrl_)
        end(true);
}

} // namespace platform
