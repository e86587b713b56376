#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Text of a stream's metadata (station name, title). Stations send whatever their software
// was fed: valid UTF-8 is taken as such, anything else as Windows-1252 (which covers
// Latin-1), so that a title never shows replacement characters.
QString decodeTagText(const QByteArray& raw);

} // namespace platform
