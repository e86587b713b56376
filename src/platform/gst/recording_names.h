#pragma once

#include <QDateTime>
#include <QString>

namespace platform::recording {

// The longest stem a recording's file name is given, in bytes of the file system's
// encoding; with a " (n)" and the extension it stays well below the usual 255.
inline constexpr int maxStemBytes = 200;

// Text from outside (a station's name, a title) made fit to be one file name in a folder:
// path separators and characters other systems refuse become "-" or "_", control and
// formatting characters go, white space is folded, leading dots and trailing dots and
// spaces go, "." and ".." cannot result, and the stem is cut (at a character boundary) to
// maxBytes in the file system's encoding. Empty when nothing usable is left.
QString safeStem(const QString& text, int maxBytes = maxStemBytes);

// "<station> <yyyy-MM-dd HH-mm-ss>", made safe; "Recording <time>" for an unusable name.
QString stationStem(const QString& station, const QDateTime& start);

// The n-th name tried for a stem (n from 1): "stem.ext", then "stem (2).ext", ...
QString candidateName(const QString& stem, const QString& extension, int n);

} // namespace platform::recording
