// Any body from any server, under each Content-Type and base address the player meets:
// the parser keeps to its caps, gives only valid addresses of the allowed schemes, and
// never lets a remote playlist name a local file. The typed-address reader gives a
// valid address whenever it reports no error. The same bytes read as an HTTP answer give a
// head within its bounds and a de-chunked body no larger than what arrived.
//
// The favourites editor's import of the same bytes gives either ten slots (the entries
// first, every name one clean line) or a reason, never both; and the entries with their
// titles, written as M3U and as PLS, read back as the same addresses and titles.
#include "favourites/playlist_import.h"
#include "net/http_response.h"
#include "playlists/playlist.h"
#include "playlists/playlist_writer.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

namespace pl = playlists;

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

// What the writer makes of a title: one line, trimmed.
QString asOneLine(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            c = QChar(' ');
    }
    return text.trimmed();
}

void checkImport(const QByteArray& body, const QString& contentType, const QUrl& base) {
    const favourites::PlaylistImport import =
        favourites::slotsFromPlaylist(body, contentType, base);
    if (import.stations.has_value() == !import.problem.isEmpty())
        fail("import gave both slots and a reason, or neither", body);
    if (!import.stations)
        return;
    if (import.taken < 1 || import.taken > favourites::kSlots)
        fail("import took a number of entries outside 1..10", body);
    for (int i = 0; i < favourites::kSlots; ++i) {
        const favourites::Station& slot = (*import.stations)[i];
        if ((i < import.taken) == slot.url.isEmpty())
            fail("an address missing among the entries or left after them", body);
        if (i >= import.taken && !slot.name.isEmpty())
            fail("a name left in a slot after the entries", body);
        for (const QChar c : slot.name)
            if (c.unicode() < 0x20 || c == QChar(0x7F))
                fail("a control character in an imported name", body);
    }
}

void checkRoundTrip(const pl::Read& read, const QUrl& base, const QByteArray& body) {
    std::vector<pl::Station> stations;
    std::vector<pl::Entry> expected;
    for (const pl::Entry& entry : read.entries) {
        const QString address = entry.url.toString(QUrl::FullyEncoded);
        // Lines longer than an entry may be are cut when read; those cannot come back whole.
        if (address.size() > pl::maxEntryLength ||
            entry.title.toUtf8().size() + 32 > pl::maxEntryLength)
            continue;
        stations.push_back({entry.title, address});
        expected.push_back({QUrl(address, QUrl::StrictMode), asOneLine(entry.title)});
    }
    for (const pl::Format format : {pl::Format::M3u, pl::Format::Pls}) {
        const pl::Read back = pl::readPlaylist(pl::writePlaylist(format, stations), {}, base);
        if (back.entries.size() != expected.size())
            fail("a written playlist reads back with another number of entries", body);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (back.entries[i].url != expected[i].url)
                fail("a written address reads back changed", body);
            if (back.entries[i].title != expected[i].title)
                fail("a written title reads back changed", body);
        }
    }
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
    const pl::Read read = pl::readPlaylist(body, contentType, base);
    if (read.entries.size() != entries.size() || read.refused < 0)
        fail("the titled read and the address read disagree", body);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (read.entries[i].url != entries[i] || read.entries[i].title.size() > pl::maxEntryLength)
            fail("a titled entry differs from its address or is over long", body);
    checkRoundTrip(read, base, body);
    checkImport(body, contentType, base);
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
