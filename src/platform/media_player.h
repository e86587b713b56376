#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

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
//
// Every implementation keeps this contract; one test suite checks them all. The tests'
// stand-in keeps the first four points and records transport calls instead of carrying
// them out, so that the program's tests can script its states.
// - At creation: no address, state Undefined, no status, unmuted, volume 50.
// - Every call returns at once and never throws; the player works asynchronously. Calls
//   that the player cannot carry out are ignored.
// - changed() is emitted on the thread that owns the player (the GUI thread), never from a
//   streaming or network thread, whenever playState, status, mute, volume or the
//   now-playing text may have changed. Setting mute or volume to the value it already has
//   is not announced; volume is clamped to 0..100.
// - setURL(text) keeps the text exactly as given (URL() returns it at once, whatever it
//   is), drops whatever the player was doing and starts on the new address.
//
// The states it produces, and when (status() in quotes):
//   Undefined      before the first call that asks for playback
//   Transitioning  an address or a playlist entry is being opened, or a pause resumed:
//                  "Connecting to <host>...", "Opening <file>...", "Resuming..."
//   Buffering      connected, filling the buffer before the sound starts: "Buffering <n>%"
//   Playing        "Playing", or "Playing: <station> - <title>" with the stream's own text
//   Paused         by pause(): "Paused"
//   Reconnecting   a stream that had played was lost and is tried again by itself:
//                  "Reconnecting in <n> s"
//   Ready          the address will not play, or gave up: status() says why in words
//   Stopped        by stop(): "Stopped"; a local file that played to its end: "Finished"
// The other numbers are never produced.
//
// What a call does in each state:
//   play()    Transitioning, Buffering, Playing: nothing. Paused: resumes. Otherwise: opens
//             URL() afresh (an empty or unusable one ends in Ready with its reason).
//   pause()   Transitioning, Buffering, Playing: Paused (nothing while a playlist is still
//             being read). Otherwise: nothing.
//   stop()    any state: Stopped, with every connection closed and every retry cancelled.
//   setURL()  any state: as above.
//   setMute(), setVolume()  any state: at once, and kept across addresses.
//
// Recording (players that cannot record keep the defaults: nothing starts, recording()
// stays inactive):
//   startRecording()  Transitioning, Buffering, Playing, Paused, Reconnecting: from now on
//             the stream is written as it arrives, in its own encoding (never decoded and
//             encoded again), to a new file in the request's folder. While recording:
//             nothing. Otherwise: nothing.
//   stopRecording()   ends it; what was written stays.
//   A recording also ends with stop(), setURL(), a stream that gives up (Ready) and the
//   player's end; a reconnect goes on writing the same file (without what the server
//   sends again that the file already holds). A file that cannot be written
//   (a full disk, a folder that cannot be made or vanished) ends it with the reason in
//   recording().error, and playback goes on; so does a stream that cannot be written as
//   it arrives (a playlist of segments, a local file), as soon as that is known, rather
//   than writing something else. changed() is emitted when a recording starts, ends or
//   moves to a new file (the first one included, once the stream's encoding names its
//   extension), not for each byte: bytes and elapsed time are read when wanted.
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

    // What to record and where.
    struct RecordingRequest {
        QString folder; // made when missing
        // The station's name for the file names; when empty the player takes the stream's
        // own name, then the host of the address.
        QString station;
        // A new file at each title change, named after the title.
        bool filePerTitle = false;
    };
    struct Recording {
        bool active = false;
        QString file;         // the file being written now (absolute); the last one after
        qint64 bytes = 0;     // written since startRecording, over all its files
        qint64 elapsedMs = 0; // since startRecording
        QString error;        // why the last recording ended by itself; empty otherwise
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

    virtual void startRecording(const RecordingRequest& request) { (void)request; }
    virtual void stopRecording() {}
    virtual Recording recording() const { return {}; }

signals:
    void changed();
};

} // namespace platform
