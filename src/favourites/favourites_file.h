#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace favourites {

inline constexpr int kSlots = 10;

inline const QString kFavouritesFileName = QStringLiteral("Dornelfavs.dat");

// A favourite station: a name and a stream address, both free text.
struct Station {
    QString name;
    QString url;
    bool operator==(const Station&) const = default;
};

using Slots = std::array<Station, kSlots>;

// The favourites file is one quoted-field line of twenty fields: the ten names, slot 0
// first, then the ten addresses. A missing or short file gives empty slots; so does one
// that exists but cannot be read, and then `problem` says why.
Slots readFavouritesFile(const QString& path, QString* problem = nullptr);

QByteArray favouritesLine(const Slots& slots);

// Replaces the file whole; returns an empty string, or why it could not be written.
QString writeFavouritesFile(const QString& path, const Slots& slots);

} // namespace favourites
