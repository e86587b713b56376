#pragma once

// Helpers for tests and benchmarks that play real streams on loopback: the Icecast server
// from stream_server.sh, a tiny HTTP server for playlists and pages, a capture of the
// decoded audio and a Goertzel tone detector over it.

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace realstream {

// Runs the event loop until the condition holds or the time is up; returns the condition.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

inline void spin(int ms) {
    waitFor([] { return false; }, ms);
}

// Icecast on a free loopback port with the live /live.mp3 and /live.ogg mounts (or none),
// started and stopped by PID through stream_server.sh.
class StreamServer {
public:
    explicit StreamServer(bool withSources = true, int burstSeconds = 1)
        : withSources_(withSources), burstSeconds_(burstSeconds) {
        if (dir_.isValid())
            start();
    }
    // Starts the server again on the same port after stop().
    bool start() {
        QProcess p;
        p.start("bash", {KORVANT_STREAM_SERVER_SCRIPT, "start", dir_.path(),
                         QString::number(burstSeconds_), withSources_ ? "both" : "none"});
        if (p.waitForFinished(60000) && p.exitCode() == 0)
            port_ = QString::fromLatin1(p.readAllStandardOutput()).trimmed().toInt();
        else
            error_ = QString::fromLocal8Bit(p.readAllStandardError());
        return ok();
    }
    void stop() { run({"stop", dir_.path()}); }
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
    void setTitle(const QString& title) { run({"set_title", dir_.path(), title}); }
    QString listenerAgents() { return run({"listener_agents", dir_.path()}); }

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
    int port_ = 0;
    QString error_;
};

// Serves fixed bodies on 127.0.0.1 by path; unknown paths get 404.
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
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    QMap<QString, Page> pages;
    QStringList requests; // paths in the order asked for

private:
    void serve(QTcpSocket* socket) {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        requests << path;
        QByteArray response;
        if (pages.contains(path)) {
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

} // namespace realstream
