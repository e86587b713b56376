#pragma once

#include "platform/gst/playlist_fetch.h"
#include "platform/gst/reconnect_policy.h"
#include "platform/media_player.h"

#include <QList>
#include <QPointer>
#include <QSslCertificate>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <deque>

class QTcpSocket;
class QTimer;
struct _GstBus;
struct _GstElement;
struct _GstMessage;
struct _GTlsDatabase;

namespace platform {

// The media player over a GStreamer playbin, audio only.
//
// GStreamer is initialised at the first address, never at construction, so a program that
// plays nothing at start-up does not pay for it. All pipeline messages are handled on the
// thread that owns the object (the GUI thread) through one bus watch; nothing here waits
// for the network. Playlist addresses (.pls, .m3u, .asx, .xspf, or any address whose body
// turns out to be one) are fetched with caps on header and body bytes and one deadline, and
// their entries tried in order until one plays. One address, whatever it leads to, either
// starts playing or ends with its reason within resolveBudgetMs.
class GstMediaPlayer final : public MediaPlayer,
                             private MediaPlayer::Controls,
                             private MediaPlayer::Settings {
    Q_OBJECT
public:
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
    QStringList decoders() const;

    QString URL() const override { return url_; }
    void setURL(const QString& url) override;
    int playState() const override { return state_; }
    QString status() const override { return status_; }
    QString title() const override { return title_; }
    MediaPlayer::Controls& controls() override { return *this; }
    MediaPlayer::Settings& settings() override { return *this; }

private:
    // One address to try, with how many playlists led to it.
    struct Entry {
        QUrl url;
        int depth = 0;
        bool fetched = false; // its body was already read as a possible playlist
    };

    void play() override;
    void stop() override;
    void pause() override;
    bool mute() const override { return mute_; }
    void setMute(bool mute) override;
    int volume() const override { return volume_; }
    void setVolume(int volume) override;

    // fresh: a new station or a user's play, as opposed to a reconnect.
    void open(bool fresh);
    void tryNext();
    void playEntry(const Entry& entry);
    void fetchPlaylist(const Entry& entry);
    void onPlaylistFetched(const PlaylistFetch::Result& result, const Entry& entry);
    void onPlaylistBody(const QByteArray& body, const QString& contentType, const Entry& entry);
    // transient: the stream may come back (lost connection, server down), as opposed to
    // an address that will never play (not found, not audio).
    void fail(const QString& why, bool transient = false);
    void scheduleReconnect();
    void onReconnectTick();
    void onWatchdogTick();
    void onBudgetExpired();
    void probeServer(const QUrl& url);
    void diagnoseServer(const QUrl& url);
    void halt();
    bool ensurePipeline();
    void applyVolume();
    void setState(int state, const QString& status);
    QString playingText() const;

    static int busCallback(_GstBus* bus, _GstMessage* message, void* self);
    static void onElementAdded(_GstElement* bin, _GstElement* subBin, _GstElement* element,
                               void* self);
    void onMessage(_GstMessage* message);
    void onError(_GstMessage* message);

    QString sinkDescription_;
    QString url_;
    int state_ = psUndefined;
    QString status_;
    bool mute_ = false;
    int volume_ = 50;

    _GstElement* pipeline_ = nullptr;
    unsigned busWatch_ = 0;
    QPointer<PlaylistFetch> fetch_;
    QPointer<PlaylistFetch> diagnosis_; // why the HTTP source could not connect
    QPointer<QTcpSocket> probe_;

    std::deque<Entry> pending_; // entries still to try for the current address
    Entry current_;             // the entry the pipeline is playing or opening
    QString lastFailure_;
    int triesLeft_ = 0; // fetches and streams the current address may still lead to
    bool lastFailureTransient_ = false;
    ReconnectPolicy reconnect_;
    QTimer* reconnectTimer_;
    int reconnectIn_ = 0; // seconds left
    QTimer* watchdog_;
    QTimer* budget_; // the whole resolution of one address, until it first plays
    // Read by streaming threads: the entry being opened came from the network, so nothing
    // it leads to may read a local file.
    std::atomic<bool> remoteEntry_{false};
    qint64 lastPosition_ = -1;
    int stalledTicks_ = 0;
    bool everPlayed_ = false; // the current address has played since the user chose it
    unsigned attempt_ = 0;    // bumped by every new open and stop; stale callbacks compare it
    int httpStatus_ = -1;     // of the current entry's last response; 0 = no connection
    bool playedOnce_ = false;
    bool reconnectAttempt_ = false; // the current open is a retry, not the user's
    bool trustOwnCertificates_ = false;
    QList<QSslCertificate> caCertificates_;
    _GTlsDatabase* tlsDatabase_ = nullptr;
    bool userPaused_ = false;
    bool failedThisAttempt_ = false;
    QString title_;
    QString station_;
};

} // namespace platform
