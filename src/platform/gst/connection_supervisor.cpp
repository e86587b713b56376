#include "platform/gst/connection_supervisor.h"
#include "platform/gst/playbin_setup.h"
#include "platform/gst/tls_trust.h"
#include "playlists/playlist.h"

#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

namespace platform {

namespace {

constexpr int probeTimeoutMs = 5000;
// The source has already waited its own timeout when a diagnosis starts.
constexpr int diagnosisTimeoutMs = 3000;
// Seconds of playing without the position moving before the connection counts as dead
// (the queue holds about 2 s, so silence starts that much earlier).
constexpr int stallSeconds = 8;

void close(QTcpSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

} // namespace

ConnectionSupervisor::ConnectionSupervisor(QObject* owner, const TlsTrust& trust,
                                           Callbacks callbacks)
    : owner_(owner), trust_(trust), callbacks_(std::move(callbacks)),
      reconnectTimer_(new QTimer(owner)), watchdog_(new QTimer(owner)), budget_(new QTimer(owner)) {
    reconnectTimer_->setInterval(1000);
    QObject::connect(reconnectTimer_, &QTimer::timeout, owner, [this] { onReconnectTick(); });
    watchdog_->setInterval(1000);
    QObject::connect(watchdog_, &QTimer::timeout, owner, [this] { onWatchdogTick(); });
    budget_->setSingleShot(true);
    budget_->setTimerType(Qt::PreciseTimer); // a coarse timer may run 5 % over
    QObject::connect(budget_, &QTimer::timeout, owner, [this] { callbacks_.startOverdue(); });
}

ConnectionSupervisor::~ConnectionSupervisor() {
    halt();
}

void ConnectionSupervisor::begin(bool fresh) {
    if (fresh)
        forget();
    retrying_ = !fresh;
}

void ConnectionSupervisor::startDeadline(int budgetMs) {
    budget_->start(budgetMs);
}

void ConnectionSupervisor::forget() {
    policy_.reset();
    everPlayed_ = false;
}

void ConnectionSupervisor::playing(bool first) {
    if (first)
        policy_.playing();
    everPlayed_ = true;
    budget_->stop();
    lastPosition_ = -1;
    stalledTicks_ = 0;
    watchdog_->start();
}

void ConnectionSupervisor::stopWatchdog() {
    watchdog_->stop();
}

void ConnectionSupervisor::stopDeadline() {
    budget_->stop();
}

void ConnectionSupervisor::scheduleReconnect() {
    reconnectIn_ = policy_.nextDelaySeconds();
    callbacks_.reconnectCountdown(reconnectIn_);
    reconnectTimer_->start();
}

void ConnectionSupervisor::onReconnectTick() {
    if (--reconnectIn_ > 0) {
        callbacks_.reconnectCountdown(reconnectIn_);
        return;
    }
    callbacks_.reconnectDue();
}

void ConnectionSupervisor::onWatchdogTick() {
    const std::optional<qint64> position = callbacks_.position();
    if (!position)
        return;
    if (*position != lastPosition_) {
        lastPosition_ = *position;
        stalledTicks_ = 0;
    } else if (++stalledTicks_ >= stallSeconds) {
        callbacks_.stalled();
    }
}

void ConnectionSupervisor::probe(const QUrl& url) {
    // The HTTP source reports a failed connection without its reason; a plain connection
    // attempt to the same place tells refused from unknown host from timed out. For HTTPS
    // the probe runs beside every stream opened: its own handshake tells a refused
    // certificate, which no retry mends, and it stops the stream even where the TLS layer
    // under the HTTP source lets a server through that it refused before (seen with a
    // server that came back with a new, untrusted certificate, once the process had
    // connected to it with a trusted one).
    if (probe_ != nullptr)
        probe_->deleteLater();
    const bool https = url.scheme().compare("https", Qt::CaseInsensitive) == 0;
    QSslSocket* secure = https ? new QSslSocket(owner_) : nullptr;
    QTcpSocket* socket = https ? secure : new QTcpSocket(owner_);
    probe_ = socket;
    const unsigned generation = generation_;
    QObject::connect(socket, &QTcpSocket::errorOccurred, owner_,
                     [this, socket, generation](QAbstractSocket::SocketError error) {
                         socket->deleteLater();
                         if (generation != generation_)
                             return;
                         QString reason = socket->errorString();
                         if (error == QAbstractSocket::ConnectionRefusedError)
                             reason = QStringLiteral("Connection refused");
                         else if (error == QAbstractSocket::HostNotFoundError)
                             reason = QStringLiteral("Host not found");
                         else if (error == QAbstractSocket::SocketTimeoutError)
                             reason = QStringLiteral("Timed out");
                         callbacks_.probeFailed(reason);
                     });
    if (secure != nullptr) {
        QSslConfiguration config = secure->sslConfiguration();
        if (trust_.ownCertificates())
            config.setCaCertificates(trust_.certificates());
        secure->setSslConfiguration(config);
        QObject::connect(secure, &QSslSocket::sslErrors, owner_,
                         [this, generation](const QList<QSslError>& errors) {
                             if (generation != generation_)
                                 return;
                             callbacks_.certificateRefused(errors.isEmpty()
                                                               ? QStringLiteral("unknown reason")
                                                               : errors.first().errorString());
                         });
        QObject::connect(secure, &QSslSocket::encrypted, secure, [secure] { close(secure); });
    } else {
        QObject::connect(socket, &QTcpSocket::connected, socket, [socket] { close(socket); });
    }
    QTimer::singleShot(probeTimeoutMs, socket, [socket] { close(socket); });
    if (secure != nullptr)
        secure->connectToHostEncrypted(url.host(), quint16(url.port(443)));
    else
        socket->connectToHost(url.host(), quint16(url.port(80)));
}

void ConnectionSupervisor::diagnose(const QUrl& url) {
    // The HTTP source reports a failed connection without its reason; the player's own
    // fetch of the same address tells refused from unknown host from a server that takes
    // the connection but does not answer, or answers with endless headers.
    dropDiagnosis();
    PlaylistFetch::Options options;
    options.userAgent = userAgent;
    options.maxBodyBytes = playlists::maxBodyBytes;
    options.deadlineMs = diagnosisTimeoutMs;
    // Stale answers cannot arrive: every halt aborts the diagnosis, except the one that ends
    // the address, which leaves it to refine the reason shown.
    diagnosis_ = new PlaylistFetch(
        url, std::move(options),
        [this, url](const PlaylistFetch::Result& result) {
            if (diagnosis_ != nullptr)
                diagnosis_->deleteLater();
            diagnosis_ = nullptr;
            callbacks_.diagnosed(result, url);
        },
        owner_);
}

bool ConnectionSupervisor::abandonSilentDiagnosis() {
    if (diagnosis_ == nullptr || !diagnosis_->awaitingAnswer())
        return false;
    dropDiagnosis();
    return true;
}

void ConnectionSupervisor::dropDiagnosis() {
    if (diagnosis_ == nullptr)
        return;
    diagnosis_->abort();
    diagnosis_->deleteLater();
    diagnosis_ = nullptr;
}

void ConnectionSupervisor::halt(Diagnosis diagnosis) {
    ++generation_;
    reconnectTimer_->stop();
    watchdog_->stop();
    budget_->stop();
    if (diagnosis == Diagnosis::Abort)
        dropDiagnosis();
    if (probe_ != nullptr) {
        close(probe_);
        probe_ = nullptr;
    }
}

} // namespace platform
