#include "net/http_fetch.h"

#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

namespace net {

namespace {

bool isWebScheme(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

HttpFetch::HttpFetch(const QUrl& url, Options options, Done done, QObject* parent)
    : QObject(parent), options_(std::move(options)), done_(std::move(done)),
      deadline_(new QTimer(this)) {
    // One deadline for the whole fetch, every redirect and byte included.
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this, &HttpFetch::onDeadline);
    deadline_->start(options_.deadlineMs);
    visited_.insert(url.adjusted(QUrl::RemoveFragment).toString());
    // Deferred, so that done never runs inside the constructor.
    QTimer::singleShot(0, this, [this, url] { connectTo(url); });
}

HttpFetch::~HttpFetch() {
    dropSocket();
}

void HttpFetch::abort() {
    finished_ = true;
    done_ = nullptr;
    deadline_->stop();
    dropSocket();
}

void HttpFetch::dropSocket() {
    if (socket_ == nullptr)
        return;
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    socket->abort(); // closes the descriptor now, whatever the socket was doing
    // Not this object's child any more: the owner may delete this object inside done,
    // which may run inside one of the socket's own signals.
    socket->setParent(nullptr);
    socket->deleteLater();
}

void HttpFetch::connectTo(const QUrl& url) {
    if (finished_)
        return;
    url_ = url;
    connected_ = false;
    head_.clear();
    headDone_ = false;
    response_ = {};
    body_.clear();
    const bool https = url.scheme() == QLatin1String("https");
    QSslSocket* secure = https ? new QSslSocket(this) : nullptr;
    QTcpSocket* socket = https ? secure : new QTcpSocket(this);
    socket_ = socket;
    // Qt takes no more from the kernel than this between two reads, so a fast server
    // cannot fill memory faster than the caps below are checked.
    socket->setReadBufferSize(qint64{64} * 1024);
    connect(socket, &QTcpSocket::readyRead, this, &HttpFetch::onReadyRead);
    connect(socket, &QTcpSocket::errorOccurred, this, &HttpFetch::onSocketError);
    connect(socket, &QTcpSocket::disconnected, this, &HttpFetch::onClosed);
    if (secure != nullptr) {
        if (options_.ownCertificates) {
            QSslConfiguration config = secure->sslConfiguration();
            config.setCaCertificates(options_.caCertificates);
            secure->setSslConfiguration(config);
        }
        connect(secure, &QSslSocket::encrypted, this, &HttpFetch::onConnected);
        connect(secure, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
            const QString why =
                errors.isEmpty() ? QStringLiteral("unknown reason") : errors.first().errorString();
            failWith(Failure::Certificate, QStringLiteral("Certificate not accepted: %1").arg(why),
                     false);
        });
        secure->connectToHostEncrypted(url.host(), quint16(url.port(443)));
    } else {
        connect(socket, &QTcpSocket::connected, this, &HttpFetch::onConnected);
        socket->connectToHost(url.host(), quint16(url.port(80)));
    }
}

void HttpFetch::onConnected() {
    if (finished_ || socket_ == nullptr)
        return;
    connected_ = true;
    QByteArray target =
        url_.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (target.isEmpty())
        target = "/";
    QByteArray host = url_.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url_.port() > 0)
        host += ':' + QByteArray::number(url_.port());
    // HTTP/1.0: the answer ends with the connection and is never chunked by a server
    // that keeps to the protocol.
    QByteArray request = "GET " + target + " HTTP/1.0\r\nHost: " + host +
                         "\r\nUser-Agent: " + options_.userAgent +
                         "\r\nAccept: " + options_.accept + "\r\nConnection: close\r\n";
    if (!url_.userName().isEmpty())
        request += "Authorization: Basic " +
                   (url_.userName().toUtf8() + ':' + url_.password().toUtf8()).toBase64() + "\r\n";
    socket_->write(request + "\r\n");
}

void HttpFetch::onReadyRead() {
    while (!finished_ && socket_ != nullptr && socket_->bytesAvailable() > 0) {
        const QByteArray data = socket_->read(qint64{64} * 1024);
        if (!headDone_) {
            const qsizetype from = std::max<qsizetype>(0, head_.size() - 3);
            head_ += data;
            const auto [end, length] = http::headEnd(head_, from);
            if (end < 0 || end > http::maxHeaderBytes) {
                if (head_.size() > http::maxHeaderBytes) {
                    failWith(Failure::HeadersTooLong,
                             QStringLiteral("The server's headers are too long"), false);
                    return; // this object may be gone
                }
                continue;
            }
            headDone_ = true;
            const QByteArray rest = head_.mid(end + length);
            head_.truncate(end);
            const QPointer<HttpFetch> alive(this);
            onHead(http::parseResponseHead(head_));
            if (alive == nullptr || finished_ || socket_ == nullptr)
                return;
            body_ = rest;
        } else {
            body_ += data;
        }
        if (body_.size() > options_.maxBodyBytes) {
            failWith(Failure::TooLarge, QStringLiteral("The answer is too large"), false);
            return;
        }
        if (response_.contentLength >= 0 && !response_.chunked &&
            body_.size() >= response_.contentLength) {
            body_.truncate(response_.contentLength);
            onClosed();
            return;
        }
        // The last chunk: servers that keep the connection open anyway have said it all.
        if (response_.chunked &&
            (body_.startsWith("0\r\n\r\n") || body_.endsWith("\r\n0\r\n\r\n"))) {
            onClosed();
            return;
        }
    }
}

void HttpFetch::onHead(const http::ResponseHead& head) {
    response_ = head;
    if (!head.valid) {
        failWith(Failure::NotHttp, QStringLiteral("The server's answer is not HTTP"), false);
        return;
    }
    if (isRedirect(head.status)) {
        if (head.location.isEmpty()) {
            failWith(Failure::Redirect, QStringLiteral("Redirected to no address"), false);
            return;
        }
        const QUrl target =
            url_.resolved(QUrl::fromEncoded(head.location)).adjusted(QUrl::RemoveFragment);
        const QString scheme = target.scheme().toLower();
        if (!target.isValid() || !isWebScheme(scheme)) {
            failWith(Failure::Redirect,
                     scheme.isEmpty() || scheme.size() > 16
                         ? QStringLiteral("Redirected to an address that is not a web address")
                         : QStringLiteral("Refused a redirect to a %1: address").arg(scheme),
                     false);
            return;
        }
        if (visited_.contains(target.toString())) {
            failWith(Failure::Redirect, QStringLiteral("Redirect loop"), false);
            return;
        }
        if (!options_.allowDowngrade && url_.scheme() == QLatin1String("https") &&
            scheme != QLatin1String("https")) {
            failWith(Failure::Redirect,
                     QStringLiteral("Refused a redirect from a secure address to one that is not"),
                     false);
            return;
        }
        if (++redirects_ > options_.maxRedirects) {
            failWith(Failure::Redirect, QStringLiteral("Too many redirects"), false);
            return;
        }
        visited_.insert(target.toString());
        dropSocket();
        connectTo(target);
        return;
    }
    if (head.status < 200 || head.status >= 300) {
        Result result;
        result.url = url_;
        result.httpStatus = head.status;
        result.httpReason = head.reason.left(200);
        result.failure = Failure::Status;
        // A refusal (4xx, 5xx) is left for the caller to put in words.
        if (head.status < 400)
            result.why = QStringLiteral("HTTP error %1").arg(head.status);
        finish(result);
        return;
    }
    const QString type = QString::fromLatin1(head.contentType).toLower();
    if (options_.endAtHead && options_.endAtHead(type)) {
        Result result;
        result.outcome = Outcome::Head;
        result.url = url_;
        result.contentType = type;
        finish(result);
        return;
    }
    if (head.contentLength > options_.maxBodyBytes)
        failWith(Failure::TooLarge, QStringLiteral("The answer is too large"), false);
}

void HttpFetch::onClosed() {
    if (finished_)
        return;
    if (socket_ != nullptr && socket_->bytesAvailable() > 0) {
        const QPointer<HttpFetch> alive(this);
        onReadyRead();
        if (alive == nullptr || finished_)
            return;
    }
    if (!headDone_) {
        failWith(Failure::Connection,
                 head_.isEmpty() ? QStringLiteral("The server closed the connection unanswered")
                                 : QStringLiteral("The server's answer broke off"),
                 true);
        return;
    }
    Result result;
    result.outcome = Outcome::Body;
    result.url = url_;
    result.truncated = !response_.chunked && response_.contentLength >= 0 &&
                       body_.size() < response_.contentLength;
    result.body = response_.chunked ? http::dechunk(body_) : body_;
    result.contentType = QString::fromLatin1(response_.contentType);
    finish(result);
}

void HttpFetch::onSocketError() {
    if (finished_ || socket_ == nullptr)
        return;
    switch (socket_->error()) {
    case QAbstractSocket::RemoteHostClosedError:
        onClosed();
        return;
    case QAbstractSocket::ConnectionRefusedError:
        failWith(Failure::Connection, QStringLiteral("Could not connect: Connection refused"),
                 true);
        return;
    case QAbstractSocket::HostNotFoundError:
        failWith(Failure::Connection, QStringLiteral("Could not connect: Host not found"), true);
        return;
    case QAbstractSocket::SocketTimeoutError:
        failWith(Failure::Timeout, QStringLiteral("Could not connect: Timed out"), true);
        return;
    case QAbstractSocket::SslHandshakeFailedError:
        failWith(Failure::Certificate,
                 QStringLiteral("Certificate not accepted: %1").arg(socket_->errorString()), false);
        return;
    default:
        failWith(Failure::Connection,
                 connected_
                     ? QStringLiteral("The connection was lost: %1").arg(socket_->errorString())
                     : QStringLiteral("Could not connect: %1").arg(socket_->errorString()),
                 true);
        return;
    }
}

void HttpFetch::onDeadline() {
    if (finished_)
        return;
    if (!connected_)
        failWith(Failure::Timeout, QStringLiteral("Could not connect: Timed out"), true);
    else if (head_.isEmpty())
        failWith(Failure::Timeout, QStringLiteral("The server does not answer"), true);
    else
        failWith(Failure::Timeout, QStringLiteral("The server answers too slowly"), true);
}

void HttpFetch::failWith(Failure failure, const QString& why, bool transient) {
    Result result;
    result.url = url_;
    result.failure = failure;
    result.why = why;
    result.transient = transient;
    finish(result);
}

void HttpFetch::finish(const Result& result) {
    if (finished_)
        return;
    finished_ = true;
    deadline_->stop();
    dropSocket();
    head_.clear();
    body_.clear();
    // Last: the owner may delete this object from inside.
    if (Done done = std::exchange(done_, nullptr))
        done(result);
}

} // namespace net
