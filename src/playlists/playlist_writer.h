#pragma once

// Writing a list of stations as a playlist file that other players read: M3U with the
// names on #EXTINF lines, or PLS with TitleN keys. Both are written as UTF-8 with LF line
// ends, which readPlaylist() reads back to the same names and addresses.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace playlists {

enum class Format { M3u, Pls };

// One station to write: a name (may be empty) and its address as the user typed it.
struct Station {
    QString name;
    QString address;
};

// The file's bytes. A name or address can never break the file's lines: control
// characters (line breaks among them) become spaces, and the text is trimmed.
QByteArray writePlaylist(Format format, const std::vector<Station>& stations);

// The format a file name asks for by its ending (".pls" is PLS, ".m3u" and ".m3u8" are
// M3U), or none for any other name.
std::optional<Format> formatFromFileName(const QString& fileName);

} // namespace playlists
