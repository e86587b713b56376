#pragma once

#include <QString>

namespace desktop {

// The program's own options beyond the three data files, in a file of their own
// (korvant.ini in the data folder, an INI file):
//   [General]
//   notifications=true      now-playing notifications while the window is in the tray
// A missing file, a missing key or a value that is not a boolean means the default.
inline constexpr const char* kOptionsFileName = "korvant.ini";

struct DesktopOptions {
    bool notifications = true;
};

DesktopOptions readDesktopOptions(const QString& path);

// Writes the options, keeping any other keys in the file. Returns why it could not be
// written, in words, or empty on success.
QString writeDesktopOptions(const QString& path, const DesktopOptions& options);

} // namespace desktop
