#pragma once

#include <QString>

namespace common {

// The program's own options beyond the three data files, in a file of their own
// (korvant.ini in the data folder, an INI file):
//   [General]
//   notifications=true          now-playing notifications while the window is in the tray
//   recordingFolder=/home/me/Music/Korvant Lite
//                               where recordings go; made when missing
//   recordingFilePerTitle=false a new recording file at each title change
// A missing file, a missing key or a value that is not of its kind means the default; a
// recording folder that is empty, relative or not a path at all means the default folder.
inline constexpr const char* kOptionsFileName = "korvant.ini";

struct ProgramOptions {
    bool notifications = true;
    QString recordingFolder; // absolute and clean; defaultRecordingFolder() unless chosen
    bool recordingFilePerTitle = false;
};

// "Korvant Lite" in the user's music folder (XDG MUSIC).
QString defaultRecordingFolder();

ProgramOptions readProgramOptions(const QString& path);

// Each saves one option, keeping every other key in the file as it was. Returns why it
// could not be written, in words, or empty on success.
QString saveNotifications(const QString& path, bool on);
QString saveRecordingFolder(const QString& path, const QString& folder);
QString saveRecordingFilePerTitle(const QString& path, bool on);

} // namespace common
