#include "favourites/favourites_file.h"

#include "common/quoted_fields.h"

namespace favourites {

Slots readFavouritesFile(const QString& path, QString* problem) {
    const common::DataFileRead read = common::readDataFile(path, 2 * kSlots);
    if (problem != nullptr)
        *problem = read.problem;
    const QStringList& fields = read.fields;
    Slots stations;
    for (int i = 0; i < kSlots; ++i)
        stations[i] = {fields[i], fields[kSlots + i]};
    return stations;
}

QByteArray favouritesLine(const Slots& stations) {
    QStringList fields;
    for (const Station& s : stations)
        fields << s.name;
    for (const Station& s : stations)
        fields << s.url;
    return common::quotedFieldLine(fields);
}

QString writeFavouritesFile(const QString& path, const Slots& stations) {
    return common::saveFileAtomically(path, favouritesLine(stations));
}

} // namespace favourites
