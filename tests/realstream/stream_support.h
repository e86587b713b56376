#pragma once

// Helpers for tests and benchmarks that play real streams on loopback: the Icecast server
// from stream_server.sh, a tiny HTTP server for playlists, pages and redirects, a relay that
// speaks the SHOUTcast dialect, a capture of the decoded audio and a Goertzel tone detector.

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "../support/wait.h"

namespace realstream {

using testsupport::waitFor;

inline void spin(int ms) {
    waitFor([] { return false; }, ms);
}

// A loopback port that refuses every connection for as long as this object lives: the
// socket is bound (so no other process can take the port) but never listens.
class RefusingPort {
public:
    RefusingPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~RefusingPort() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    quint16 port() const { return port_; }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
    }

private:
    int fd_ = -1;
    quint16 port_ = 0;
};

// Icecast on a free loopback port with the live /live.mp3 and /live.ogg mounts (or none),
// started and stopped by PID through stream_server.sh.
class StreamServer {
public:
    // tls: Icecast also listens with TLS (tlsUrl()), with a self-signed certificate for
    // 127.0.0.1 (certificateFile()).
    explicit StreamServer(bool withSources = true, int burstSeconds = 1, bool tls = false)
        : withSources_(withSources), burstSeconds_(burstSeconds), tls_(tls) {
        if (dir_.isValid())
            start();
    }
    // Starts the server again on the same port after stop().
    bool start() {
        QProcess p;
        p.start("bash",
                {KORVANT_STREAM_SERVER_SCRIPT, "start", dir_.path(), QString::number(burstSeconds_),
                 withSources_ ? "both" : "none", tls_ ? "tls" : ""});
        if (p.waitForFinished(60000) && p.exitCode() == 0)
            port_ = QString::fromLatin1(p.readAllStandardOutput()).trimmed().toInt();
        else
            error_ = QString::fromLocal8Bit(p.readAllStandardError());
        return ok();
    }
    void stop() { run({"stop", dir_.path()}); }
    // Stops only the encoders: Icecast stays up and answers 404 for their mounts.
    void stopSources() { run({"stop_sources", dir_.path()}); }
    bool startSources() {
        QProcess p;
        p.start("bash", {KORVANT_STREAM_SERVER_SCRIPT, "start_sources", dir_.path()});
        return p.waitForFinished(30000) && p.exitCode() == 0;
    }
    // Freezes (SIGSTOP) or thaws (SIGCONT) the Icecast process: a server that hangs.
    void freeze(bool frozen) {
        QFile pids(dir_.filePath("pids"));
        if (pids.open(QIODevice::ReadOnly))
            if (const pid_t pid = pids.readLine().trimmed().toInt(); pid > 0)
                ::kill(pid, frozen ? SIGSTOP : SIGCONT);
    }
    ~StreamServer() { run({"stop", dir_.path()}); }
    StreamServer(const StreamServer&) = delete;
    StreamServer& operator=(const StreamServer&) = delete;

    bool ok() const { return port_ > 0; }
    QString error() const { return error_; }
    int port() const { return port_; }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
    }
    QString tlsUrl(const QString& path) const {
        QFile f(dir_.filePath("tls_port"));
        f.open(QIODevice::ReadOnly);
        return QStringLiteral("https://127.0.0.1:%1%2")
            .arg(QString::fromLatin1(f.readAll()).trimmed(), path);
    }
    QString certificateFile() const { return dir_.filePath("cert.pem"); }
    // The next start() makes a new certificate, one that nobody trusts yet.
    void renewCertificate() {
        QFile::remove(dir_.filePath("server.pem"));
        QFile::remove(dir_.filePath("cert.pem"));
    }
    void setTitle(const QString& title) { run({"set_title", dir_.path(), title}); }
    QString listenerAgents() { return run({"listener_agents", dir_.path()}); }
    // The server closes the connections of the mount's listeners whose User-Agent begins
    // with agent; how many it closed.
    int dropListeners(const QString& mount, const QString& agent) {
        return int(run({"drop_listeners", dir_.path(), mount, agent})
                       .split('\n', Qt::SkipEmptyParts)
                       .size());
    }

private:
    QString run(QStringList args) {
        QProcess p;
        args.prepend(KORVANT_STREAM_SERVER_SCRIPT);
        p.start("bash", args);
        p.waitForFinished(30000);
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    QTemporaryDir dir_;
    bool withSources_;
    int burstSeconds_;
    bool tls_;
    int port_ = 0;
    QString error_;
};

// The 440 Hz tone as ADTS AAC (44.1 kHz stereo, by libav's encoder), as an AAC station
// sends it; empty (and the reason in *error) if GStreamer could not make it.
inline QByteArray adtsTone(int seconds, QString* error = nullptr) {
    QTemporaryDir dir;
    const QString file = dir.filePath("tone.aac");
    QProcess encode;
    encode.start("gst-launch-1.0",
                 {"-q", "audiotestsrc", "samplesperbuffer=4410",
                  QStringLiteral("num-buffers=%1").arg(seconds * 10), "wave=sine", "freq=440", "!",
                  "audio/x-raw,rate=44100,channels=2", "!", "audioconvert", "!", "avenc_aac", "!",
                  "aacparse", "!", "audio/mpeg,stream-format=adts", "!", "filesink",
                  "location=" + file});
    QFile aac(file);
    if (!encode.waitForFinished(60000) || encode.exitCode() != 0 ||
        !aac.open(QIODevice::ReadOnly)) {
        if (error != nullptr)
            *error = QString::fromLocal8Bit(encode.readAllStandardError());
        return {};
    }
    return aac.readAll();
}

// Serves fixed bodies on 127.0.0.1 by path; unknown paths get 404. Hostile answers on
// request: silence, a header line that never ends, any raw bytes.
class TinyHttpServer : public QTcpServer {
public:
    struct Page {
        QByteArray contentType;
        QByteArray body;
    };
    TinyHttpServer() {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                open_ << socket;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                    open_.removeOne(socket);
                    socket->deleteLater();
                });
            }
        });
    }
    // Connections the client has not closed yet.
    int openConnections() const { return int(open_.size()); }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    QMap<QString, Page> pages;
    QMap<QString, QByteArray> redirects; // path -> address answered with 302 Found
    QStringList requests;                // paths in the order asked for
    QStringList silentPaths;             // requests read and never answered
    // Answered with a status line and then one header line, as fast as the client reads.
    QStringList endlessHeaderPaths;
    qint64 endlessBytesSent = 0;
    // path -> bytes sent as they are; the connection then stays open.
    QMap<QString, QByteArray> rawAnswers;

private:
    void serve(QTcpSocket* socket) {
        if (socket->property("served").toBool()) {
            socket->readAll();
            return;
        }
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        socket->setProperty("served", true);
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        requests << path;
        if (silentPaths.contains(path))
            return;
        if (rawAnswers.contains(path)) {
            socket->write(rawAnswers[path]);
            return;
        }
        if (endlessHeaderPaths.contains(path)) {
            // Never more than 64 KiB waits in this side's buffer.
            const auto more = [this, socket] {
                while (socket->bytesToWrite() < 64 * 1024) {
                    socket->write(QByteArray(16 * 1024, 'a'));
                    endlessBytesSent += 16 * 1024;
                }
            };
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: audio/x-scpls\r\nX-Filler: ");
            connect(socket, &QTcpSocket::bytesWritten, socket, more);
            more();
            return;
        }
        QByteArray response;
        if (redirects.contains(path)) {
            response = "HTTP/1.0 302 Found\r\nLocation: " + redirects[path] +
                       "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else if (pages.contains(path)) {
            const Page& page = pages[path];
            response = "HTTP/1.0 200 OK\r\nContent-Type: " + page.contentType +
                       "\r\nContent-Length: " + QByteArray::number(page.body.size()) +
                       "\r\nConnection: close\r\n\r\n" + page.body;
        } else {
            response = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        }
        socket->write(response);
        socket->disconnectFromHost();
    }

    QList<QTcpSocket*> open_;
};

// A SHOUTcast-style server on 127.0.0.1: answers with its own status line (by default
// "ICY 200 OK") and icy-name, then relays the audio of an upstream mount. Listeners that
// ask for metadata get the current title in-band every metaInterval bytes, as raw bytes
// in whatever encoding the test chose.
class IcyRelay : public QTcpServer {
public:
    static constexpr int metaInterval = 8192;

    IcyRelay(QString upstreamPath, quint16 upstreamPort, QByteArray statusLine = "ICY 200 OK")
        : upstreamPath_(std::move(upstreamPath)), upstreamPort_(upstreamPort),
          statusLine_(std::move(statusLine)) {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = nextPendingConnection())
                accept(client);
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    QByteArray name = "Relay Radio";
    QByteArray title; // raw bytes, sent as they are

private:
    struct Listener {
        QByteArray request;
        bool started = false;
        bool metadata = false;
        QByteArray upstreamHeader;
        bool upstreamBody = false;
        int untilMeta = metaInterval;
    };

    void accept(QTcpSocket* client) {
        auto* state = new Listener;
        auto* upstream = new QTcpSocket(client);
        connect(client, &QTcpSocket::disconnected, client, [client, state] {
            delete state;
            client->deleteLater();
        });
        connect(upstream, &QTcpSocket::disconnected, client, [client] { client->abort(); });
        connect(client, &QTcpSocket::readyRead, client, [this, client, upstream, state] {
            state->request += client->readAll();
            if (state->started || !state->request.contains("\r\n\r\n"))
                return;
            state->started = true;
            state->metadata = state->request.toLower().contains("icy-metadata: 1");
            QByteArray head =
                statusLine_ + "\r\nicy-name: " + name + "\r\ncontent-type: audio/mpeg\r\n";
            if (state->metadata)
                head += "icy-metaint: " + QByteArray::number(metaInterval) + "\r\n";
            client->write(head + "\r\n");
            upstream->connectToHost(QHostAddress::LocalHost, upstreamPort_);
        });
        connect(upstream, &QTcpSocket::connected, client, [this, upstream] {
            upstream->write("GET " + upstreamPath_.toUtf8() +
                            " HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: relay\r\n\r\n");
        });
        connect(upstream, &QTcpSocket::readyRead, client, [this, client, upstream, state] {
            QByteArray data = upstream->readAll();
            if (!state->upstreamBody) {
                state->upstreamHeader += data;
                const qsizetype end = state->upstreamHeader.indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                state->upstreamBody = true;
                data = state->upstreamHeader.mid(end + 4);
            }
            if (!state->metadata) {
                client->write(data);
                return;
            }
            while (!data.isEmpty()) {
                const qsizetype n = std::min<qsizetype>(state->untilMeta, data.size());
                client->write(data.left(n));
                data.remove(0, n);
                state->untilMeta -= int(n);
                if (state->untilMeta == 0) {
                    client->write(metadataBlock());
                    state->untilMeta = metaInterval;
                }
            }
        });
    }
    QByteArray metadataBlock() const {
        if (title.isEmpty())
            return QByteArray(1, '\0');
        QByteArray text = "StreamTitle='" + title + "';";
        const int blocks = int((text.size() + 15) / 16);
        text.resize(blocks * 16, '\0');
        return char(blocks) + text;
    }

    QString upstreamPath_;
    quint16 upstreamPort_;
    QByteArray statusLine_;
};

// A file the player's audio output writes as 44.1 kHz mono 16-bit WAV.
class Capture {
public:
    Capture() : path_(dir_.filePath("capture.wav")) {}
    // The audio-output description for the player.
    QString sinkDescription() const {
        return QStringLiteral("audioconvert ! audioresample ! "
                              "audio/x-raw,format=S16LE,rate=44100,channels=1 ! "
                              "identity sync=true ! wavenc ! filesink location=\"%1\" "
                              "buffer-mode=2 sync=false async=false")
            .arg(path_);
    }
    static constexpr int rate = 44100;
    // Samples written so far; the header may never have been finalised.
    std::vector<int16_t> samples() const {
        QFile f(path_);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray data = f.readAll().mid(44);
        std::vector<int16_t> out(std::size_t(data.size()) / 2);
        std::memcpy(out.data(), data.constData(), out.size() * 2);
        return out;
    }
    std::size_t sampleCount() const {
        const qint64 size = QFileInfo(path_).size();
        return size > 44 ? std::size_t(size - 44) / 2 : 0;
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

// Share of a block's energy at the given frequency (about 1 for a pure tone, about 0 for
// silence or another tone), by the Goertzel filter.
inline double toneShare(const std::vector<int16_t>& s, std::size_t from, std::size_t count,
                        double freq, int rate = Capture::rate) {
    if (from + count > s.size() || count == 0)
        return 0;
    const double w = 2 * M_PI * freq / rate;
    const double coeff = 2 * std::cos(w);
    double q1 = 0, q2 = 0, energy = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const double x = s[i] / 32768.0;
        energy += x * x;
        const double q0 = coeff * q1 - q2 + x;
        q2 = q1;
        q1 = q0;
    }
    const double power = q1 * q1 + q2 * q2 - coeff * q1 * q2;
    return energy < 1e-9 ? 0 : 2 * power / (count * energy);
}

inline double rms(const std::vector<int16_t>& s, std::size_t from, std::size_t count) {
    if (from + count > s.size() || count == 0)
        return 0;
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / count) / 32768.0;
}

// The tone's share in the next half second of captured audio, or -1 if none came.
inline double nextBlockTone(const Capture& capture, double freq = 440) {
    const std::size_t start = capture.sampleCount();
    const std::size_t block = Capture::rate / 2;
    if (!waitFor([&] { return capture.sampleCount() >= start + block; }, 5000))
        return -1;
    return toneShare(capture.samples(), start, block, freq);
}

// The level of the next half second of captured audio, or -1 if none came.
inline double nextBlockLevel(const Capture& capture) {
    const std::size_t start = capture.sampleCount();
    const std::size_t block = Capture::rate / 2;
    if (!waitFor([&] { return capture.sampleCount() >= start + block; }, 5000))
        return -1;
    return rms(capture.samples(), start, block);
}

// Lets 0.3 s of captured audio pass, so that the onset of the sound (weaker while the
// decoder starts) falls in no block that is checked.
inline void skipOnset(const Capture& capture) {
    const std::size_t start = capture.sampleCount();
    waitFor([&] { return capture.sampleCount() >= start + Capture::rate * 3 / 10; }, 5000);
}

} // namespace realstream
