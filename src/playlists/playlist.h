#pragma once

// Stream addresses and playlists, as pure functions: no network, no GStreamer. Everything
// here takes untrusted input (typed text, bodies fetched from any server) and must stay
// robust to garbage, NUL bytes and huge lines.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <vector>

namespace playlists {

enum class Kind { None, Pls, M3u, Asx, Xspf };

// Bodies larger than this are not playlists worth reading; fetchers stop there.
inline constexpr qint64 maxBodyBytes = 256 * 1024;
// At most this many entries are taken from one playlist.
inline constexpr std::size_t maxEntries = 64;
// Longer entries are dropped rather than handed to the network layer.
inline constexpr int maxEntryLength = 8192;

// What the player makes of the text assigned to its URL: an address to open, or why not.
struct Address {
    QUrl url;      // valid when error is empty
    QString error; // the player's status text when the text cannot be opened
};

// Accepts absolute http/https/file URLs (icy:// is read as http://), rtsp/mms addresses for
// the pipeline to judge, and absolute local file paths. Surrounding blanks are ignored;
// anything else, including a bare host name, is refused without any name lookup.
Address resolveAddress(const QString& text);

// Playlist kind by the address's file name (".pls", ".m3u", ".asx", ".wax", ".wvx",
// ".xspf"; ".m3u8" is HLS, which the pipeline plays itself).
Kind kindFromName(const QUrl& url);

// Playlist kind by an HTTP Content-Type value (parameters ignored).
Kind kindFromContentType(const QString& contentType);

// Playlist kind by the first bytes of a body.
Kind kindFromContent(const QByteArray& body);

// True when the body is an HLS media or master playlist, which the pipeline plays itself.
bool isHls(const QByteArray& body);

// The stream addresses of a playlist body, in order, resolved against base. The kind is
// taken from the Content-Type, then the body, then base's name. Bodies of unknown kind are
// read as a plain list only where every entry is a complete absolute address, so that an
// HTML page or other text yields nothing. Entries from a remote playlist are limited to
// network schemes; only a local playlist may name local files.
std::vector<QUrl> parsePlaylist(const QByteArray& body, const QString& contentType,
                                const QUrl& base);

// One entry of a playlist: its address and, where the playlist names it, its title (PLS
// TitleN, the name of an M3U #EXTINF line, an XSPF track's <title>, the <title> of the ASX
// <entry> that holds the <ref>; not the title of the XSPF or ASX list itself). Titles are
// the playlist's text as it stands, XML entities decoded, trimmed and at most
// maxEntryLength long: whoever shows one cleans it first.
struct Entry {
    QUrl url;
    QString title;
};

// What reading a playlist gave: the entries parsePlaylist() takes, with their titles, and
// how many entries the playlist held without a usable address (an #EXTINF or TitleN with
// no address after it, an XSPF track without a location, an ASX entry without a ref, an
// address of a scheme not allowed). A body that is not a playlist at all gives neither.
struct Read {
    std::vector<Entry> entries;
    int refused = 0;
};

Read readPlaylist(const QByteArray& body, const QString& contentType, const QUrl& base);

} // namespace playlists
