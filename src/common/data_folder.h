#pragma once

#include <QString>

namespace common {

// The folder that holds the program's data files: the program file's folder joined
// with "Dornel/". Always ends with a slash.
QString dataFolder();

// dataFolder() joined with a file name.
QString dataFile(const QString& fileName);

// The program file's folder, without a trailing slash.
QString programFolder();

} // namespace common
