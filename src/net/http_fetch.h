#pragma once

// The program's one HTTP(S) GET: every fetch it makes of a web address goes through it.
//
// Everything about it is bounded: header bytes, body bytes, redirects, and one deadline for
// the whole fetch, redirects included. Any server, however hostile, costs at most that
// much memory and time, and the socket is closed the moment the fetch gives up or its
// owner aborts or deletes it: no reading goes on behind the owner's back.

#include "net/http_response.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <functional>

class QTcpSocket;
class QTimer;

namespace net {

class HttpFetch : public QObject {
public:
    enum class Outcome {
        Body,   // the body arrived whole: body, contentType, url (after redirects)
        Head,   // Options::endAtHead took the headers; url is where they came from
        Failed, // why and failure; httpStatus when the server answered with a status
    };
    // What kind of failure, for callers that put it in words of their own.
    enum class Failure {
        None,
        Connection,     // refused, unknown host, lost, closed unanswered or mid-head
        Timeout,        // the deadline passed
        Status,         // an answer that is neither 2xx nor a redirect followed
        HeadersTooLong, // more header bytes than net::http::maxHeaderBytes
        TooLarge,       // more body bytes than Options::maxBodyBytes (or announced so)
        Redirect,       // a loop, too many, or to an address not allowed
        NotHttp,        // the answer's first line is not an HTTP status line
        Certificate,    // HTTPS: the server's certificate was not accepted
    };
    struct Result {
        Outcome outcome = Outcome::Failed;
        QUrl url;
        QByteArray body;
        QString contentType;
        // Body: the connection closed before the Content-Length the server announced.
        bool truncated = false;
        int httpStatus = 0;
        QByteArray httpReason; // the status line's words, as sent (untrusted bytes)
        Failure failure = Failure::None;
        QString why;
        bool transient = false; // the failure may mend by itself (network, server down)
    };
    using Done = std::function<void(const Result&)>;

    struct Options {
        QByteArray userAgent;
        QByteArray accept = "*/*";
        qint64 maxBodyBytes = 0;
        int deadlineMs = 10000;
        int maxRedirects = http::maxRedirects;
        bool allowDowngrade = true;   // may an https address redirect to plain http
        bool ownCertificates = false; // trust only caCertificates for HTTPS
        QList<QSslCertificate> caCertificates;
        // A 2xx answer whose content type (lower case) this accepts ends the fetch at its
        // headers with Outcome::Head: not one byte of its body is read (a stream, say).
        std::function<bool(const QString& contentType)> endAtHead;
    };

    // Starts at once; done is called exactly once, later, from the event loop, unless the
    // fetch is aborted or deleted first. The object may be deleted inside done.
    HttpFetch(const QUrl& url, Options options, Done done, QObject* parent = nullptr);
    ~HttpFetch() override;

    // Closes the connection now; done is never called.
    void abort();
    // Connected, and not one byte of an answer yet.
    bool awaitingAnswer() const { return connected_ && !finished_ && head_.isEmpty(); }

private:
    void connectTo(const QUrl& url);
    void onConnected();
    void onReadyRead();
    void onHead(const http::ResponseHead& head);
    void onClosed();
    void onSocketError();
    void onDeadline();
    void finish(const Result& result);
    void failWith(Failure failure, const QString& why, bool transient);
    void dropSocket();

    Options options_;
    Done done_;
    QUrl url_;
    QSet<QString> visited_;
    int redirects_ = 0;
    QPointer<QTcpSocket> socket_;
    QTimer* deadline_;
    bool connected_ = false;
    bool finished_ = false;
    QByteArray head_;
    bool headDone_ = false;
    http::ResponseHead response_;
    QByteArray body_;
};

} // namespace net
