#include "common/data_folder.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString dataFolder() {
    return programFolder() + QStringLiteral("/Dornel/");
}

QString dataFile(const QString& fileName) {
    return dataFolder() + fileName;
}

namespace {

QString notAFile(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a file");
    return QStringLiteral("it is not a regular file");
}

QString systemReason(int error) {
    if (error == EACCES || error == EPERM)
        return QStringLiteral("reading it is not permitted");
    return QStringLiteral("it could not be read (%1)").arg(qt_error_string(error));
}

FileBytes unreadable(QString why) {
    return {FileBytes::State::Unreadable, {}, std::move(why)};
}

// ENOENT is the plain missing file; ENOTDIR means a part of the path is no folder, so
// the file cannot exist either.
bool meansMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

} // namespace

FileBytes readDataFileBytes(const QString& path, qint64 cap) {
    const QByteArray name = QFile::encodeName(path);
    // A first look by name keeps devices from being opened at all (opening some has
    // effects of its own).
    struct stat seen {};
    if (::stat(name.constData(), &seen) != 0)
        return meansMissing(errno) ? FileBytes{} : unreadable(systemReason(errno));
    if (!S_ISREG(seen.st_mode))
        return unreadable(notAFile(seen.st_mode));

    // O_NONBLOCK: a named pipe swapped in after the look above must not block open().
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return meansMissing(errno) ? FileBytes{} : unreadable(systemReason(errno));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        const QString why = notAFile(opened.st_mode);
        ::close(fd);
        return unreadable(why);
    }

    FileBytes result{FileBytes::State::Read, {}, {}};
    constexpr qint64 kBlock = qint64{64} * 1024;
    while (result.bytes.size() < cap) {
        const qsizetype have = result.bytes.size();
        const qint64 want = std::min(kBlock, cap - have);
        result.bytes.resize(have + want);
        const ssize_t got = ::read(fd, result.bytes.data() + have, static_cast<size_t>(want));
        if (got < 0 && errno == EINTR) {
            result.bytes.resize(have);
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return unreadable(systemReason(error));
        }
        result.bytes.resize(have + got);
        if (got == 0)
            break;
    }
    ::close(fd);
    return result;
}

} // namespace common
