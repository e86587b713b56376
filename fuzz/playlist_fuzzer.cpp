// Any body from any server, under each Content-Type and base address the player meets:
// the parser keeps to its caps, gives only valid addresses of the allowed schemes, and
// never lets a remote playlist name a local file. The typed-address reader gives a
// valid address whenever it reports no error. The same bytes read as an HTTP answer give a
// head within its bounds and a de-chunked body no larger than what arrived.
#include "net/http_response.h"
#include "platform/gst/playlist.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

namespace pl = platform::playlist;

[[noreturn]] void fail(const char* what, const QByteArray& detail) {
    std::fprintf(stderr, "property broken: %s %s\n", what, detail.toHex(' ').constData());
    std::abort();
}

const char* const kContentTypes[] = {
    "",
    "audio/x-scpls",
    "audio/x-mpegurl; charset=utf-8",
    "text/html",
    "video/x-ms-asf",
    "application/xspf+xml",
    "text/plain",
    "application/octet-stream",
    "audio/mpeg",
};

const char* const kBases[] = {
    "",
    "http://127.0.0.1:8000/list.pls",
    "https://127.0.0.1/dir/list.m3u",
    "http://127.0.0.1/x.asx",
    "http://127.0.0.1/x.xspf",
    "file:///tmp/korvant/list.m3u",
    "http://127.0.0.1/stream",
};

bool isNetworkScheme(const QString& scheme) {
    for (const char* s : {"http", "https", "rtsp", "rtsps", "mms", "mmsh", "mmst"})
        if (scheme == QLatin1String(s))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const QString contentType =
        QString::fromLatin1(kContentTypes[data[0] % std::size(kContentTypes)]);
    const QUrl base(QString::fromLatin1(kBases[data[1] % std::size(kBases)]));
    const QByteArray body(reinterpret_cast<const char*>(data + 2),
                          static_cast<qsizetype>(size - 2));

    const std::vector<QUrl> entries = pl::parsePlaylist(body, contentType, base);
    if (entries.size() > pl::maxEntries)
        fail("more entries than the cap", body);
    for (const QUrl& url : entries) {
        if (!url.isValid())
            fail("invalid entry", body);
        const QString scheme = url.scheme();
        if (isNetworkScheme(scheme)) {
            if (url.host().isEmpty())
                fail("network entry without a host", body);
        } else if (scheme != QLatin1String("file") || !base.isLocalFile()) {
            fail("entry of a scheme the playlist may not name", body);
        }
    }

    pl::kindFromContent(body);
    pl::isHls(body);

    namespace fe = net::http;
    const auto [end, length] = fe::headEnd(body, 0);
    if (end >= 0 && (end + length > body.size() || (length != 2 && length != 4)))
        fail("head end outside the answer", body);
    const fe::ResponseHead head = fe::parseResponseHead(end >= 0 ? body.left(end) : body);
    if (head.valid && (head.status < 100 || head.status > 999))
        fail("status out of range", body);
    if (head.contentLength < -1)
        fail("negative content length", body);
    if (fe::dechunk(body).size() > body.size())
        fail("de-chunked body larger than the bytes given", body);

    const QString typed = QString::fromUtf8(body);
    const pl::Address address = pl::resolveAddress(typed);
    if (address.error.isEmpty() && !address.url.isValid())
        fail("address reported valid but is not", body);
    return 0;
}
