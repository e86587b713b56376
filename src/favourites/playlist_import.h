#pragma once

// The ten favourite slots from a playlist's bytes: pure, so that the fuzzer and the tests
// take it alone.

#include "favourites/favourites_file.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

namespace favourites {

// What a playlist gives the favourites list. The file's first ten entries become slots 0
// to 9 in order, each with the entry's title as its name (empty where the file has none);
// the slots after the last entry become empty, so the list is exactly the file's. A file
// that is not a usable playlist gives no slots and the reason in words.
struct PlaylistImport {
    std::optional<Slots> stations;
    int taken = 0;     // entries put into slots (at most kSlots)
    bool more = false; // the file has entries beyond the ten
    QString problem;   // "it holds binary data, not text", ... (no full stop)
};

// `body` as read (a longer one is refused as too large), `contentType` from the server
// (empty for a local file), `base` the file's or address's location.
PlaylistImport slotsFromPlaylist(const QByteArray& body, const QString& contentType,
                                 const QUrl& base);

// What a successful import tells the user: how many stations, which slots are now empty,
// and that nothing is saved until Save List.
QString importedSummary(const PlaylistImport& import, const QString& source);

} // namespace favourites
