#include "playlists/playlist_writer.h"

namespace playlists {

namespace {

// One line's worth of text: no character below a space, no DEL or C1 control, and none
// of the Unicode line and paragraph separators that some readers also end a line at.
QByteArray oneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            c = QChar(' ');
    }
    return line.trimmed().toUtf8();
}

} // namespace

QByteArray writePlaylist(Format format, const std::vector<Station>& stations) {
    QByteArray out;
    if (format == Format::M3u) {
        out += "#EXTM3U\n";
        for (const Station& s : stations)
            out += "#EXTINF:-1," + oneLine(s.name) + "\n" + oneLine(s.address) + "\n";
        return out;
    }
    out += "[playlist]\n";
    int n = 0;
    for (const Station& s : stations) {
        const QByteArray number = QByteArray::number(++n);
        out += "File" + number + "=" + oneLine(s.address) + "\n";
        out += "Title" + number + "=" + oneLine(s.name) + "\n";
        out += "Length" + number + "=-1\n";
    }
    out += "NumberOfEntries=" + QByteArray::number(n) + "\nVersion=2\n";
    return out;
}

std::optional<Format> formatFromFileName(const QString& fileName) {
    const QString name = fileName.toLower();
    if (name.endsWith(QLatin1String(".pls")))
        return Format::Pls;
    if (name.endsWith(QLatin1String(".m3u")) || name.endsWith(QLatin1String(".m3u8")))
        return Format::M3u;
    return std::nullopt;
}

} // namespace playlists
