#pragma once

#include <QByteArray>
#include <QString>

namespace common {

// The folder that holds the program's data files: the program file's folder joined
// with "Dornel/". Always ends with a slash.
QString dataFolder();

// dataFolder() joined with a file name.
QString dataFile(const QString& fileName);

// The program file's folder, without a trailing slash.
QString programFolder();

// No data file of the program comes near this size (a full one is a few kilobytes);
// only this much of any file is ever read, so a huge or endless one cannot stall or
// swamp start-up.
inline constexpr qint64 kMaxDataFileBytes = 1024 * 1024;

// What reading a file of the data folder gave.
struct FileBytes {
    enum class State {
        Read,      // `bytes` holds the file, or its first `cap` bytes
        Missing,   // there is no such file: nothing to lose, nothing to say
        Unreadable // it exists but could not be read; `why` says why
    };
    State state = State::Missing;
    QByteArray bytes;
    QString why; // a plain phrase such as "it is a folder, not a file"
};

// Reads at most `cap` bytes of a regular file. Anything else in its place (a folder, a
// named pipe, a device, a socket) is refused without being read, and the check is made
// on the opened descriptor, so nothing swapped in between can slip through. Never
// blocks on the file.
FileBytes readDataFileBytes(const QString& path, qint64 cap = kMaxDataFileBytes);

} // namespace common
