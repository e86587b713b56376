#pragma once

#include "platform/gst/playlist_fetch.h"
#include "platform/gst/reconnect_policy.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QObject;
class QTcpSocket;
class QTimer;

namespace platform {

class TlsTrust;

// Watches over the connection of one address: the deadline for it to start, the stall
// watchdog while it plays, the countdown to the next try after a loss (with its policy),
// and the checks beside the stream that put a failed connection in words (a plain probe
// for HTTPS, the player's own fetch for HTTP). Reports by callbacks only; what they mean
// for the status is the player's business. Every check belongs to the connection it was
// started for: halt() drops the answers of those still under way.
class ConnectionSupervisor {
public:
    struct Callbacks {
        std::function<void(int seconds)> reconnectCountdown;
        std::function<void()> reconnectDue;
        std::function<void()> startOverdue;
        // The playing position now, or none while not playing.
        std::function<std::optional<qint64>()> position;
        std::function<void()> stalled;
        // The probe could not connect; reason in words.
        std::function<void(const QString& reason)> probeFailed;
        std::function<void(const QString& reason)> certificateRefused;
        // The diagnosis of url has answered (never after halt(), unless kept there).
        std::function<void(const PlaylistFetch::Result& result, const QUrl& url)> diagnosed;
    };

    ConnectionSupervisor(QObject* owner, const TlsTrust& trust, Callbacks callbacks);
    ConnectionSupervisor(const ConnectionSupervisor&) = delete;
    ConnectionSupervisor& operator=(const ConnectionSupervisor&) = delete;
    ~ConnectionSupervisor();

    // A new open of the address. fresh: a new station or a user's play, as opposed to a
    // reconnect; a fresh open starts the reconnect series afresh.
    void begin(bool fresh);
    // The address has budgetMs to start playing, or startOverdue() is called.
    void startDeadline(int budgetMs);
    // The user stopped: the series starts afresh and the address counts as never played.
    void forget();
    // Playback reached PLAYING; first: for the first time since its entry was loaded.
    void playing(bool first);
    // The stream was lost for good this time: counts down to the next try.
    void scheduleReconnect();
    void stopWatchdog();
    // The address has ended, or started: its deadline no longer runs.
    void stopDeadline();

    void probe(const QUrl& url);
    void diagnose(const QUrl& url);
    // Ends a diagnosis that is connected and still unanswered; whether there was one.
    bool abandonSilentDiagnosis();

    enum class Diagnosis { Abort, Keep };
    // Ends the timers and the checks under way (a diagnosis too, unless kept to refine the
    // reason shown for an address that has ended).
    void halt(Diagnosis diagnosis = Diagnosis::Abort);

    // The address has played since the user chose it.
    bool everPlayed() const { return everPlayed_; }
    // The current open is a retry, not the user's.
    bool retrying() const { return retrying_; }

private:
    void onReconnectTick();
    void onWatchdogTick();
    void dropDiagnosis();

    QObject* owner_;
    const TlsTrust& trust_;
    Callbacks callbacks_;
    ReconnectPolicy policy_;
    QTimer* reconnectTimer_;
    int reconnectIn_ = 0; // seconds left
    QTimer* watchdog_;
    qint64 lastPosition_ = -1;
    int stalledTicks_ = 0;
    QTimer* budget_; // the whole resolution of one address, until it first plays
    QPointer<PlaylistFetch> diagnosis_;
    QPointer<QTcpSocket> probe_;
    unsigned generation_ = 0; // bumped by halt(); answers of older probes are dropped
    bool everPlayed_ = false;
    bool retrying_ = false;
};

} // namespace platform
