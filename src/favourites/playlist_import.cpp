#include "favourites/playlist_import.h"

#include "common/remote_text.h"
#include "playlists/playlist.h"

namespace favourites {

namespace {

// Text has no NUL bytes and hardly any other control characters; a sound file, a picture
// or an archive has plenty of both.
bool looksBinary(const QByteArray& body) {
    qsizetype controls = 0;
    for (const char c : body) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0)
            return true;
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f') || u == 0x7F)
            ++controls;
    }
    return controls > body.size() / 20;
}

} // namespace

PlaylistImport slotsFromPlaylist(const QByteArray& body, const QString& contentType,
                                 const QUrl& base) {
    PlaylistImport result;
    if (body.size() > playlists::maxBodyBytes) {
        result.problem = QStringLiteral("it is larger than a playlist can be (over %1 KiB)")
                             .arg(playlists::maxBodyBytes / 1024);
        return result;
    }
    if (body.trimmed().isEmpty()) {
        result.problem = QStringLiteral("it is empty");
        return result;
    }
    if (looksBinary(body)) {
        result.problem = QStringLiteral("it holds binary data, not text");
        return result;
    }
    if (playlists::isHls(body)) {
        result.problem = QStringLiteral("it is the playlist of one HLS stream, not a list of "
                                        "stations");
        return result;
    }
    // An M3U8 file is an M3U in UTF-8; without its #EXTM3U line only the name tells.
    QString type = contentType;
    if (playlists::kindFromContentType(type) == playlists::Kind::None &&
        playlists::kindFromContent(body) == playlists::Kind::None &&
        base.path().endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive))
        type = QStringLiteral("audio/x-mpegurl");

    const playlists::Read read = playlists::readPlaylist(body, type, base);
    if (read.entries.empty()) {
        result.problem =
            read.refused > 0
                ? QStringLiteral("its entries have no stream address this program can play")
                : QStringLiteral("it lists no stations (this program reads M3U, M3U8, PLS, "
                                 "XSPF and ASX playlists)");
        return result;
    }
    Slots stations;
    for (const playlists::Entry& entry : read.entries) {
        if (result.taken == kSlots) {
            result.more = true;
            break;
        }
        stations[result.taken++] = {common::cleanRemoteText(entry.title), entry.url.toString()};
    }
    result.stations = stations;
    return result;
}

QString importedSummary(const PlaylistImport& import, const QString& source) {
    QString text = import.taken == 1
                       ? QStringLiteral("One station from %1 is now favorite 1.").arg(source)
                       : QStringLiteral("%1 stations from %2 are now favorites 1 to %1.")
                             .arg(QString::number(import.taken), source);
    if (import.more)
        text += QStringLiteral(" The playlist lists more than ten; the rest were left out.");
    else if (import.taken < kSlots)
        text += import.taken + 1 == kSlots
                    ? QStringLiteral(" Favorite 10 is now empty.")
                    : QStringLiteral(" Favorites %1 to 10 are now empty.").arg(import.taken + 1);
    return text + QStringLiteral("\n\nNothing is saved until you press Save List.");
}

} // namespace favourites
