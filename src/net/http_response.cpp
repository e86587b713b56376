#include "net/http_response.h"

#include <QList>
#include <algorithm>

namespace net::http {

std::pair<qsizetype, int> headEnd(const QByteArray& data, qsizetype from) {
    const qsizetype crlf = data.indexOf("\r\n\r\n", from);
    const qsizetype lf = data.indexOf("\n\n", from);
    if (crlf >= 0 && (lf < 0 || crlf <= lf))
        return {crlf, 4};
    if (lf >= 0)
        return {lf, 2};
    return {-1, 0};
}

ResponseHead parseResponseHead(const QByteArray& head) {
    ResponseHead r;
    const QList<QByteArray> lines = head.split('\n');
    if (lines.isEmpty())
        return r;
    // "HTTP/1.1 200 OK" or, from SHOUTcast servers, "ICY 200 OK".
    const QByteArray statusLine = lines.first().trimmed();
    const QList<QByteArray> parts = statusLine.split(' ');
    if (parts.size() < 2 || !(parts[0].startsWith("HTTP/") || parts[0] == "ICY"))
        return r;
    bool ok = false;
    const int status = parts[1].toInt(&ok);
    if (!ok || status < 100 || status > 999)
        return r;
    r.valid = true;
    r.status = status;
    r.reason = statusLine.mid(parts[0].size() + 1 + parts[1].size()).trimmed();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-type") {
            r.contentType = value;
        } else if (name == "location") {
            r.location = value;
        } else if (name == "content-length") {
            const qint64 length = value.toLongLong(&ok);
            r.contentLength = ok && length >= 0 ? length : -1;
        } else if (name == "transfer-encoding") {
            r.chunked = value.toLower().contains("chunked");
        }
    }
    return r;
}

QByteArray dechunk(const QByteArray& raw) {
    QByteArray out;
    qsizetype at = 0;
    while (at < raw.size()) {
        const qsizetype lineEnd = raw.indexOf('\n', at);
        if (lineEnd < 0)
            break;
        QByteArray sizeText = raw.mid(at, lineEnd - at).trimmed();
        if (const qsizetype semicolon = sizeText.indexOf(';'); semicolon >= 0)
            sizeText.truncate(semicolon); // chunk extensions
        bool ok = false;
        const qint64 size = sizeText.trimmed().toLongLong(&ok, 16);
        if (!ok || size <= 0)
            break;
        at = lineEnd + 1;
        const qint64 take = std::min<qint64>(size, raw.size() - at);
        out += raw.mid(at, take);
        at += take;
        // The line break after the chunk's data.
        if (at < raw.size() && raw[at] == '\r')
            ++at;
        if (at < raw.size() && raw[at] == '\n')
            ++at;
    }
    return out;
}

} // namespace net::http
