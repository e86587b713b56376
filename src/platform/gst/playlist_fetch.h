#pragma once

// The player's own HTTP(S) GET for playlists and for addresses whose body may be one.
//
// Everything about it is bounded: header bytes, body bytes, redirects, and one deadline for
// the whole fetch, redirects included. Any server, however hostile, costs at most that
// much memory and time, and the socket is closed the moment the fetch gives up or its
// owner aborts or deletes it: no reading goes on behind the owner's back.

#include "platform/gst/http_response.h"

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

namespace platform {

class PlaylistFetch final : public QObject {
public:
    enum class Outcome {
        Body,   // the body arrived whole: body, contentType, url (after redirects)
        Audio,  // the headers said audio: the address is a stream, url is where it is
        Failed, // why; httpStatus >= 400 when the server refused
    };
    struct Result {
        Outcome outcome = Outcome::Failed;
        QUrl url;
        QByteArray body;
        QString contentType;
        int httpStatus = 0;
        QString why;
        bool transient = false; // the failure may mend by itself (network, server down)
    };
    using Done = std::function<void(const Result&)>;

    struct Options {
        QByteArray userAgent;
        qint64 maxBodyBytes = 0;
        int deadlineMs = 10000;
        bool ownCertificates = false; // trust only caCertificates for HTTPS
        QList<QSslCertificate> caCertificates;
    };

    // Starts at once; done is called exactly once, later, from the event loop, unless the
    // fetch is aborted or deleted first. The object may be deleted inside done.
    PlaylistFetch(const QUrl& url, Options options, Done done, QObject* parent = nullptr);
    ~PlaylistFetch() override;

    // Closes the connection now; done is never called.
    void abort();
    // Connected, and not one byte of an answer yet.
    bool awaitingAnswer() const { return connected_ && !finished_ && head_.isEmpty(); }

private:
    void connectTo(const QUrl& url);
    void onConnected();
    void onReadyRead();
    void onHead(const fetch::ResponseHead& head);
    void onClosed();
    void onSocketError();
    void onDeadline();
    void finish(Result result);
    void failWith(const QString& why, bool transient);
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
    fetch::ResponseHead response_;
    QByteArray body_;
};

} // namespace platform
