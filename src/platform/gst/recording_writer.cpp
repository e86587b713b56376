#include "platform/gst/recording_writer.h"
#include "platform/gst/recording_names.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

using framing::Encoding;

namespace {

// Beyond this, bytes that hold no frame header are no stream of the encoding said.
constexpr qsizetype maxSyncBytes = 256 * 1024;
// How often the file and its folder are looked for while written.
constexpr auto checkInterval = std::chrono::seconds(1);
// How much of the file's end is kept to find a repeat in, and how much of a new
// connection must match to count as one.
constexpr qsizetype maxTailBytes = 192 * 1024;
constexpr qsizetype repeatProbeBytes = 4096;
// When the recording ends before that much came, the little there is is matched by less.
constexpr qsizetype finalProbeBytes = 256;
// Ogg: how many of the last pages written are remembered to find a repeat among (a burst
// of 64 KiB is a few dozen pages).
constexpr std::size_t maxWrittenPages = 1024;

bool exists(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

RecordingWriter::~RecordingWriter() {
    if (fd_ >= 0)
        ::close(fd_);
}

void RecordingWriter::begin(const QString& folder, const QString& stem) {
    std::lock_guard lock(mutex_);
    closeFile();
    active_ = true;
    folder_ = folder;
    stem_ = stem;
    path_.clear();
    tail_.clear();
    resumed_ = false;
    switchPending_ = false;
    needSync_ = true;
    syncBuffer_.clear();
    bytes_ = 0;
}

void RecordingWriter::renameFirst(const QString& stem) {
    std::lock_guard lock(mutex_);
    if (active_ && fd_ < 0)
        stem_ = stem;
}

void RecordingWriter::nextFile(const QString& stem) {
    std::lock_guard lock(mutex_);
    if (!active_)
        return;
    stem_ = stem;
    if (fd_ >= 0)
        switchPending_ = true;
}

void RecordingWriter::end() {
    std::lock_guard lock(mutex_);
    flushHeldPage(true);
    // A new connection's first bytes, too few yet to tell what of them the file holds.
    if (resumed_ && fd_ >= 0 && !switchPending_ && needSync_ && encoding_ != Encoding::Ogg) {
        if (const auto start = framing::findFrameStart(encoding_, syncBuffer_).start) {
            const QByteArray data = syncBuffer_.mid(*start);
            write(data.mid(repeated(data, true)));
        }
    }
    closeFile();
    active_ = false;
    syncBuffer_.clear();
}

void RecordingWriter::newLoad() {
    std::lock_guard lock(mutex_);
    encoding_ = Encoding::Unknown;
}

void RecordingWriter::detach() {
    std::lock_guard lock(mutex_);
    notify_ = nullptr;
}

Encoding RecordingWriter::encoding() const {
    std::lock_guard lock(mutex_);
    return encoding_;
}

QString RecordingWriter::file() const {
    std::lock_guard lock(mutex_);
    return path_;
}

bool RecordingWriter::active() const {
    std::lock_guard lock(mutex_);
    return active_;
}

void RecordingWriter::connectionStarted(Encoding encoding, const QString& extension) {
    std::lock_guard lock(mutex_);
    resumed_ = fd_ >= 0 && encoding == encoding_;
    oggResuming_ = resumed_ && encoding == Encoding::Ogg && !switchPending_ && !written_.empty();
    encoding_ = encoding;
    extension_ = extension;
    needSync_ = true;
    syncBuffer_.clear();
    oggReader_.clear();
    oggHeaders_.clear();
}

void RecordingWriter::discontinuity() {
    std::lock_guard lock(mutex_);
    needSync_ = true;
    syncBuffer_.clear();
    oggReader_.clear();
    oggResuming_ = false;
}

void RecordingWriter::consume(const char* data, qsizetype size) {
    std::lock_guard lock(mutex_);
    if (encoding_ == Encoding::Ogg)
        consumeOgg(data, size); // the headers are kept even while nothing is recorded
    else if (active_ && encoding_ != Encoding::Unknown)
        consumeFrames(data, size);
}

void RecordingWriter::consumeFrames(const char* data, qsizetype size) {
    if (!waitingForStart()) {
        write(data, size);
        return;
    }
    syncBuffer_.append(data, size);
    // Bytes before the start of the next file still belong to the one being written.
    const bool toOld = fd_ >= 0 && switchPending_ && !needSync_;
    const framing::FrameSearch search = framing::findFrameStart(encoding_, syncBuffer_);
    if (!search.start) {
        qsizetype drop = search.keepFrom;
        if (syncBuffer_.size() - drop > maxSyncBytes)
            drop = syncBuffer_.size() - maxSyncBytes;
        if (toOld && !write(syncBuffer_.constData(), drop))
            return;
        syncBuffer_.remove(0, drop);
        return;
    }
    const qsizetype start = *search.start;
    qsizetype skip = 0;
    if (resumed_ && fd_ >= 0 && !switchPending_) {
        skip = repeated(syncBuffer_.mid(start));
        if (skip < 0)
            return; // more bytes decide
    }
    resumed_ = false;
    if (toOld && !write(syncBuffer_.constData(), start))
        return;
    if (fd_ < 0 || switchPending_) {
        closeFile();
        if (!openFile(extension_))
            return;
    }
    switchPending_ = false;
    needSync_ = false;
    const QByteArray rest = syncBuffer_.mid(start + skip);
    syncBuffer_.clear();
    write(rest);
}

qsizetype RecordingWriter::repeated(const QByteArray& data, bool final) const {
    if (final) {
        // What there is decides: the first bytes are looked for, and the file's end from
        // there must begin the data (or the data the file's end).
        const QByteArrayView head =
            QByteArrayView(data).first(std::min(data.size(), finalProbeBytes));
        for (qsizetype at = tail_.indexOf(head); at >= 0 && !head.isEmpty();
             at = tail_.indexOf(head, at + 1)) {
            const QByteArrayView end = QByteArrayView(tail_).sliced(at);
            if (end.size() >= data.size() ? end.startsWith(data)
                                          : QByteArrayView(data).startsWith(end))
                return std::min(end.size(), data.size());
        }
        return 0;
    }
    if (data.size() < repeatProbeBytes)
        return data.size() >= maxSyncBytes / 2 ? 0 : -1;
    const qsizetype at = tail_.indexOf(QByteArrayView(data).first(repeatProbeBytes));
    if (at < 0)
        return 0;
    const qsizetype overlap = tail_.size() - at;
    if (data.size() < overlap)
        return -1;
    return QByteArrayView(data).first(overlap) == QByteArrayView(tail_).sliced(at) ? overlap : 0;
}

void RecordingWriter::consumeOgg(const char* data, qsizetype size) {
    pages_.clear();
    oggReader_.feed(data, size, pages_);
    for (const framing::OggPage& page : pages_) {
        const bool header = oggHeaders_.see(page);
        if (!active_)
            continue;
        if (oggResuming_ && !header) {
            if (continuesWritten(page)) {
                oggResuming_ = false;
                needSync_ = false;
            } else if (repeatsWritten(page)) {
                continue;
            } else {
                oggResuming_ = false; // another stream: it becomes a chain of its own
            }
        }
        const bool startPoint = !header && !page.continued && !oggHeaders_.pages().isEmpty();
        // Until the next file starts, the one being written goes on.
        const bool toOld = fd_ >= 0 && switchPending_ && !needSync_ && !startPoint;
        if (!waitingForStart() || toOld) {
            flushHeldPage(false);
            if (page.beginsStream && renumbering_ && page.serial != renumberFrom_)
                renumbering_ = false; // the source's own next chain
            holdPage(page);
            continue;
        }
        // A file (or a new connection's chain) starts with the headers and then an audio
        // page that begins with a whole packet.
        if (!startPoint)
            continue;
        flushHeldPage(true);
        if (fd_ < 0 || switchPending_) {
            closeFile();
            if (!openFile(oggHeaders_.extension()))
                return;
        }
        switchPending_ = false;
        needSync_ = false;
        renumbering_ = serials_.contains(page.serial);
        if (renumbering_) {
            renumberFrom_ = page.serial;
            renumberTo_ = page.serial + 1;
            while (serials_.contains(renumberTo_))
                ++renumberTo_;
        }
        if (!write(renumbering_
                       ? framing::withSerial(oggHeaders_.pages(), renumberFrom_, renumberTo_)
                       : oggHeaders_.pages()))
            return;
        holdPage(page);
    }
}

void RecordingWriter::holdPage(const framing::OggPage& page) {
    const bool renumbered = renumbering_ && page.serial == renumberFrom_;
    heldPage_ =
        renumbered ? framing::withSerial(page.bytes, renumberFrom_, renumberTo_) : page.bytes;
    serials_.insert(renumbered ? renumberTo_ : page.serial);
    if (page.serial != writtenSerial_)
        written_.clear();
    writtenSerial_ = page.serial;
    written_.push_back({page.sequence, page.crc});
    if (written_.size() > maxWrittenPages)
        written_.pop_front();
}

bool RecordingWriter::repeatsWritten(const framing::OggPage& page) const {
    return page.serial == writtenSerial_ &&
           std::any_of(written_.rbegin(), written_.rend(), [&](const WrittenPage& w) {
               return w.sequence == page.sequence && w.crc == page.crc;
           });
}

bool RecordingWriter::continuesWritten(const framing::OggPage& page) const {
    return page.serial == writtenSerial_ && !written_.empty() &&
           page.sequence == written_.back().sequence + 1;
}

bool RecordingWriter::openFile(const QString& extension) {
    for (int n = 1; n < 1000; ++n) {
        const QString path = QDir(folder_).filePath(recording::candidateName(stem_, extension, n));
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        path_ = path;
        if (fd < 0) {
            // A folder that is there but takes no new file (a system folder, say).
            fail(errno == ENOENT && exists(folder_) ? EACCES : errno);
            return false;
        }
        fd_ = fd;
        lastCheck_ = std::chrono::steady_clock::now();
        if (notify_)
            notify_({Event::Kind::FileOpened, path_, {}});
        return true;
    }
    path_ = QDir(folder_).filePath(recording::candidateName(stem_, extension, 1));
    fail(EEXIST);
    return false;
}

void RecordingWriter::closeFile() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    tail_.clear();
    serials_.clear();
    written_.clear();
    oggResuming_ = false;
    renumbering_ = false;
}

void RecordingWriter::flushHeldPage(bool last) {
    if (heldPage_.isEmpty())
        return;
    const QByteArray page = last ? framing::withEndOfStream(heldPage_) : heldPage_;
    heldPage_.clear();
    if (fd_ >= 0)
        write(page);
}

bool RecordingWriter::write(const char* data, qsizetype size) {
    while (size > 0 && fd_ >= 0) {
        const ssize_t n = ::write(fd_, data, std::size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        bytes_.fetch_add(n, std::memory_order_relaxed);
        if (encoding_ != Encoding::Ogg) {
            tail_.append(data, n);
            if (tail_.size() > 2 * maxTailBytes)
                tail_.remove(0, tail_.size() - maxTailBytes);
        }
        data += n;
        size -= n;
    }
    checkStillThere();
    return fd_ >= 0;
}

void RecordingWriter::checkStillThere() {
    const auto now = std::chrono::steady_clock::now();
    if (fd_ < 0 || now - lastCheck_ < checkInterval)
        return;
    lastCheck_ = now;
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_nlink > 0 && exists(folder_))
        return;
    fail(ENOENT);
}

void RecordingWriter::fail(int error) {
    QString reason;
    const QString folder = QDir::toNativeSeparators(folder_);
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        reason = QStringLiteral("The disk is full");
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        reason = QStringLiteral("The folder %1 cannot be written").arg(folder);
        break;
    case ENOENT:
    case ENOTDIR:
        reason = exists(folder_)
                     ? QStringLiteral("The file %1 has gone").arg(QDir::toNativeSeparators(path_))
                     : QStringLiteral("The folder %1 has gone").arg(folder);
        break;
    case EEXIST:
        reason = QStringLiteral("The folder %1 has no free name for a new file").arg(folder);
        break;
    default:
        reason = QStringLiteral("The file %1 could not be written: %2")
                     .arg(QDir::toNativeSeparators(path_), QString::fromLocal8Bit(strerror(error)));
        break;
    }
    closeFile(); // what was written stays
    heldPage_.clear();
    active_ = false;
    syncBuffer_.clear();
    if (notify_)
        notify_({Event::Kind::Failed, path_, reason});
}

} // namespace platform
