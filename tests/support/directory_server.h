#pragma once

// A stand-in for the community station directory on 127.0.0.1 (a port the system hands
// out): answers /json/stations/search and /json/url/<uuid> as the directory documents them,
// records every request, and can misbehave on demand (an error status, no answer at all,
// a body cut short, an endless body). For tests and benchmarks.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <functional>
#include <memory>

namespace testsupport {

// `count` realistic station records as a JSON array; record i is named "<prefix> i" and
// streams from `streamBase` + "/s<i>.mp3".
inline QByteArray stationRecords(int count, const QString& prefix = QStringLiteral("Station"),
                                 const QString& streamBase = QStringLiteral("http://127.0.0.1:1")) {
    QByteArray out = "[";
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ',';
        const QByteArray n = QByteArray::number(i);
        const QByteArray uuid = QByteArray("9617a958-0601-11e8-ae97-52543be04c81").left(28) +
                                QByteArray::number(100000000 + i).rightJustified(8, '0');
        out += "{\"changeuuid\":\"4f1e1ad7-0b71-4c1b-a4f2-" + n.rightJustified(12, '0') +
               "\",\"stationuuid\":\"" + uuid + "\",\"serveruuid\":null,\"name\":\"" +
               prefix.toUtf8() + " " + n + "\",\"url\":\"" + streamBase.toUtf8() + "/s" + n +
               ".pls\",\"url_resolved\":\"" + streamBase.toUtf8() + "/s" + n +
               ".mp3\",\"homepage\":\"https://example.org/\",\"favicon\":\"\","
               "\"tags\":\"jazz,smooth jazz,lounge\",\"country\":\"Germany\","
               "\"countrycode\":\"DE\",\"iso_3166_2\":null,\"state\":\"Berlin\","
               "\"language\":\"german\",\"languagecodes\":\"de\",\"votes\":" +
               QByteArray::number(5000 - i) +
               ",\"lastchangetime\":\"2024-03-01 10:12:45\","
               "\"lastchangetime_iso8601\":\"2024-03-01T10:12:45Z\",\"codec\":\"MP3\","
               "\"bitrate\":128,\"hls\":0,\"lastcheckok\":1,"
               "\"lastchecktime\":\"2024-05-01 08:00:00\",\"clickcount\":" +
               QByteArray::number(300 + i) +
               ",\"clicktrend\":2,\"ssl_error\":0,\"geo_lat\":52.52,\"geo_long\":13.40,"
               "\"has_extended_info\":false}";
    }
    return out + "]";
}

class DirectoryServer : public QTcpServer {
public:
    struct Request {
        QString path; // without the query
        QUrlQuery query;
        QMap<QByteArray, QByteArray> headers; // names in lower case
    };
    struct Reply {
        int status = 200;
        QByteArray body;
        bool hang = false;       // read the request, never answer
        bool cutShort = false;   // announce a longer body than is sent, then close
        qint64 endlessBytes = 0; // send this many bytes of a list with no length given
        bool announceLength = true;
        bool endlessHeader = false; // header lines that never end, up to endlessBytes
        QByteArray location;        // sent as the Location header (with a 3xx status)
    };

    DirectoryServer() {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                    ++disconnections;
                    socket->deleteLater();
                });
            }
        });
    }

    // Connections still open are closed without reporting to a server half destroyed.
    ~DirectoryServer() override {
        for (QTcpSocket* socket : findChildren<QTcpSocket*>()) {
            socket->disconnect();
            delete socket;
        }
    }
    DirectoryServer(const DirectoryServer&) = delete;
    DirectoryServer& operator=(const DirectoryServer&) = delete;

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }

    // Decides each answer; by default search answers `searchBody` and clicks answer ok.
    std::function<Reply(const Request&)> handler;
    QByteArray searchBody = stationRecords(3);
    QList<Request> requests;
    qint64 bytesSent = 0;
    int disconnections = 0;

    int count(const QString& pathStart) const {
        int n = 0;
        for (const Request& r : requests)
            n += r.path.startsWith(pathStart) ? 1 : 0;
        return n;
    }

private:
    Reply defaultReply(const Request& r) const {
        Reply reply;
        if (r.path == QLatin1String("/json/stations/search"))
            reply.body = searchBody;
        else if (r.path.startsWith(QLatin1String("/json/url/")))
            reply.body = "{\"ok\":true,\"message\":\"retrieved station url\",\"stationuuid\":\"" +
                         r.path.mid(10).toUtf8() + "\",\"name\":\"x\",\"url\":\"http://x/\"}";
        else
            reply.status = 404;
        return reply;
    }

    void read(QTcpSocket* socket) {
        QByteArray data = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", data);
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end < 0 || socket->property("answered").toBool())
            return;
        socket->setProperty("answered", true);
        const QList<QByteArray> lines = data.left(end).split('\n');
        Request r;
        const QUrl target(QString::fromLatin1(lines.value(0).split(' ').value(1)));
        r.path = target.path();
        r.query = QUrlQuery(target);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                r.headers[lines[i].left(colon).trimmed().toLower()] =
                    lines[i].mid(colon + 1).trimmed();
        }
        requests << r;
        const Reply reply = handler ? handler(r) : defaultReply(r);
        if (reply.hang)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) +
                          (reply.status == 200 ? " OK" : " Failing") +
                          "\r\nContent-Type: application/json\r\nConnection: close\r\n";
        if (!reply.location.isEmpty())
            head += "Location: " + reply.location + "\r\n";
        if (reply.endlessBytes > 0) {
            if (reply.endlessHeader) {
                socket->write("HTTP/1.1 200 OK\r\n");
                head.clear();
            } else if (reply.announceLength)
                head += "Content-Length: " + QByteArray::number(reply.endlessBytes) + "\r\n";
            if (!reply.endlessHeader)
                socket->write(head + "\r\n[");
            auto left = std::make_shared<qint64>(reply.endlessBytes - 1);
            const bool header = reply.endlessHeader;
            const auto pump = [this, socket, left, header] {
                static const QByteArray records = [] {
                    QByteArray c;
                    while (c.size() < 64 * 1024)
                        c += "{\"name\":\"filler\",\"url\":\"http://127.0.0.1/\"},";
                    return c;
                }();
                static const QByteArray headerLines = [] {
                    QByteArray c;
                    while (c.size() < 64 * 1024)
                        c += "X-Filler: " + QByteArray(100, 'f') + "\r\n";
                    return c;
                }();
                const QByteArray& chunk = header ? headerLines : records;
                while (*left > 0 && socket->bytesToWrite() < 256 * 1024) {
                    const QByteArray part = chunk.left(std::min<qint64>(*left, chunk.size()));
                    socket->write(part);
                    bytesSent += part.size();
                    *left -= part.size();
                }
                if (*left <= 0)
                    socket->disconnectFromHost();
            };
            connect(socket, &QTcpSocket::bytesWritten, socket, pump);
            pump();
            return;
        }
        const qsizetype announced = reply.body.size() + (reply.cutShort ? 1000 : 0);
        socket->write(head + "Content-Length: " + QByteArray::number(announced) + "\r\n\r\n" +
                      reply.body);
        bytesSent += reply.body.size();
        socket->disconnectFromHost();
    }
};

} // namespace testsupport
