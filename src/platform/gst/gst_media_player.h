#pragma once

#include "platform/gst/connection_supervisor.h"
#include "platform/gst/failure_classifier.h"
#include "platform/gst/playbin_pipeline.h"
#include "platform/gst/playlist_resolver.h"
#include "platform/gst/stream_recorder.h"
#include "platform/gst/tls_trust.h"
#include "platform/media_player.h"

#include <QStringList>

namespace platform {

// The media player over a GStreamer playbin, audio only.
//
// GStreamer is initialised at the first address, never at construction, so a program that
// plays nothing at start-up does not pay for it. All pipeline messages are handled on the
// thread that owns the object (the GUI thread); nothing here waits for the network.
// Playlist addresses are read with caps on header and body bytes and one deadline, and
// their entries tried in order until one plays. One address, whatever it leads to, either
// starts playing or ends with its reason within resolveBudgetMs.
//
// The player is always in exactly one phase; the pipeline, the playlist resolver and the
// connection supervisor report to it, and only the phase decides what their reports mean.
class GstMediaPlayer final : public MediaPlayer,
                             private MediaPlayer::Controls,
                             private MediaPlayer::Settings {
    Q_OBJECT
public:
    // What the player is doing, and the play state it shows for it.
    enum class Phase {
        Idle,               // nothing asked yet (Undefined), or stopped or finished (Stopped)
        Resolving,          // reading a playlist or an address that may be one (Transitioning)
        Connecting,         // the pipeline opens an entry, or resumes (Transitioning)
        Buffering,          // connected, filling the buffer before playing (Buffering)
        Playing,            // (Playing)
        Paused,             // by the user (Paused)
        WaitingToReconnect, // a lost stream, counting down to the next try (Reconnecting)
        Failed,             // the address ended, its reason in status() (Ready)
    };

    // audioSinkDescription: a gst-launch description of the audio output (a bin is made
    // of it); empty means the desktop's default output.
    explicit GstMediaPlayer(QString audioSinkDescription = {}, QObject* parent = nullptr);
    static constexpr int resolveBudgetMs = 30000;
    ~GstMediaPlayer() override;

    // For tests against a private server: HTTPS streams trust only the certificates in this
    // PEM file instead of the system's authorities. Takes effect only before the first
    // address is played; the program never calls it.
    void trustOnlyCertificatesIn(const QString& pemFile);

    // The element factories of the decoders in the pipeline now (empty before the first
    // address, or while nothing is decoded): which code turns the stream into sound.
    QStringList decoders() const { return pipeline_.decoders(); }

    Phase phase() const { return phase_; }
    QString URL() const override { return url_; }
    void setURL(const QString& url) override;
    int playState() const override;
    QString status() const override { return status_; }
    QString title() const override { return title_; }
    MediaPlayer::Controls& controls() override { return *this; }
    MediaPlayer::Settings& settings() override { return *this; }
    void startRecording(const RecordingRequest& request) override;
    void stopRecording() override { recorder_.stop(); }
    Recording recording() const override { return recorder_.state(); }

private:
    void play() override;
    void stop() override;
    void pause() override;
    bool mute() const override { return mute_; }
    void setMute(bool mute) override;
    int volume() const override { return volume_; }
    void setVolume(int volume) override;

    // fresh: a new station or a user's play, as opposed to a reconnect.
    void open(bool fresh);
    void playEntry(const StreamEntry& entry);
    // This entry will not play; the next one is tried, or the address ends.
    void fail(const Failure& failure);
    void onExhausted();
    void onFault(const PipelineError& error);
    void onEndOfStream();
    void onBuffering(int percent);
    void onPlaying(bool first);
    void onTags(const std::optional<QString>& title, const std::optional<QString>& station);
    void onStartOverdue();
    void onDiagnosed(const PlaylistFetch::Result& result, const QUrl& url);
    void halt(ConnectionSupervisor::Diagnosis diagnosis = ConnectionSupervisor::Diagnosis::Abort);
    // The one way a failure reaches the status.
    void showFailure(const QString& why);
    void enter(Phase phase, const QString& status);
    QString playingText() const;

    QString url_;
    Phase phase_ = Phase::Idle;
    QString status_;
    bool mute_ = false;
    int volume_ = 50;
    TlsTrust trust_;
    PlaybinPipeline pipeline_;
    PlaylistResolver resolver_;
    ConnectionSupervisor supervisor_;
    Failure lastFailure_; // of the last entry tried for the current address
    QString title_;
    QString station_;
    // Last: its writer is closed before the pipeline (stopped by then) lets go of it.
    StreamRecorder recorder_;
};

} // namespace platform
