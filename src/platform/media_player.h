#pragma once

#include <QObject>
#include <QString>

namespace platform {

// Published play-state numbers of the media player object model. The program tests
// only for Playing; the others describe what the player is doing.
enum PlayState : int {
    psUndefined = 0,
    psStopped = 1,
    psPaused = 2,
    psPlaying = 3,
    psScanForward = 4,
    psScanReverse = 5,
    psBuffering = 6,
    psWaiting = 7,
    psMediaEnded = 8,
    psTransitioning = 9,
    psReady = 10,
    psReconnecting = 11,
};

// The embedded media player control, in the shape the program drives it:
//   player.setURL(text)          assigning the address starts playing (autoStart is on)
//   player.playState(), status() what the player is doing, as a number and as its own text
//   player.title()               the stream's now-playing title, as the station sent it
//   player.controls().play() ... transport
//   player.settings().mute ...   mute and volume (volume is 50 at creation)
// Every call returns at once; the player works asynchronously and emits changed()
// whenever playState, status, mute, volume or the now-playing text may have changed.
// Calls that the player cannot carry out are ignored, never thrown.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    class Controls {
    public:
        virtual ~Controls() = default;
        virtual void play() = 0;
        virtual void stop() = 0;
        virtual void pause() = 0;
    };
    class Settings {
    public:
        virtual ~Settings() = default;
        virtual bool mute() const = 0;
        virtual void setMute(bool mute) = 0;
        virtual int volume() const = 0; // 0..100
        virtual void setVolume(int volume) = 0;
    };

    using QObject::QObject;
    ~MediaPlayer() override = default;

    virtual QString URL() const = 0;
    virtual void setURL(const QString& url) = 0;
    virtual int playState() const = 0;
    virtual QString status() const = 0;
    // The now-playing title the stream announced for the current address; empty when it
    // announced none yet, and emptied when a new address is opened. Raw remote text.
    virtual QString title() const { return {}; }
    virtual Controls& controls() = 0;
    virtual Settings& settings() = 0;

signals:
    void changed();
};

} // namespace platform
