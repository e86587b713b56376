#pragma once

#include "platform/gst/stream_framing.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace platform {

// Writes a stream to files as it arrives, in its own encoding: each file starts where a
// file of that encoding may start (an MPEG or ADTS frame header; for Ogg the chain's
// header pages, then a page), a reconnect goes on in the same file, and what was written
// is never removed or cut.
//
// The stream's bytes come from a streaming thread (connectionStarted, discontinuity,
// consume); the rest is called from the thread that owns the recording. Files are opened
// and written on the streaming thread; what happens to them (a file opened, the recording
// ended by a fault) is told through notify, called on the streaming thread and meant to
// pass the news on (queued) to the owner.
class RecordingWriter {
public:
    struct Event {
        enum class Kind { FileOpened, Failed } kind;
        QString file;   // the file opened, or the one that failed
        QString reason; // Failed: why, in words
    };
    using Notify = std::function<void(const Event&)>;

    explicit RecordingWriter(Notify notify) : notify_(std::move(notify)) {}
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // The owner's side.
    // Recording on: the first file, folder/stem.<extension> (or "stem (2)" ... when taken),
    // opens at the next point where a file may start.
    void begin(const QString& folder, const QString& stem);
    // The stem for the first file, when it has not opened yet.
    void renameFirst(const QString& stem);
    // The file goes on to a new one, named so, at the next point where a file may start.
    void nextFile(const QString& stem);
    // Recording off; the file is closed (an Ogg file with its last page marked as such).
    void end();
    // A new address is opened: its encoding is unknown until the stream reports one.
    void newLoad();
    // No more notices (the owner is going away).
    void detach();
    qint64 bytes() const { return bytes_.load(std::memory_order_relaxed); }
    framing::Encoding encoding() const;
    // The file being written now, or the last one (empty before the first opens).
    QString file() const;
    bool active() const;

    // The streaming thread's side.
    // A new connection of the stream, with its encoding; extension: for MPEG and ADTS.
    void connectionStarted(framing::Encoding encoding, const QString& extension);
    // The bytes that follow do not continue the ones before (a seek or a flush).
    void discontinuity();
    void consume(const char* data, qsizetype size);

private:
    bool waitingForStart() const { return fd_ < 0 || switchPending_ || needSync_; }
    void consumeFrames(const char* data, qsizetype size);
    void consumeOgg(const char* data, qsizetype size);
    // How many bytes at the start of data the file already ends with; -1: undecided yet
    // (final: the recording ends, and what there is decides).
    qsizetype repeated(const QByteArray& data, bool final = false) const;
    bool openFile(const QString& extension);
    void closeFile();
    void flushHeldPage(bool last);
    // The page as this file holds it, and held to be written.
    void holdPage(const framing::OggPage& page);
    // A resumed connection's page: whether it repeats one the file holds (then it is
    // dropped), or continues the last one (then the chain goes on with it).
    bool repeatsWritten(const framing::OggPage& page) const;
    bool continuesWritten(const framing::OggPage& page) const;
    bool write(const char* data, qsizetype size);
    bool write(const QByteArray& data) { return write(data.constData(), data.size()); }
    void fail(int error);
    void checkStillThere();

    mutable std::mutex mutex_;
    Notify notify_;
    std::atomic<qint64> bytes_{0};
    bool active_ = false;
    QString folder_;
    QString stem_;
    QString path_;
    int fd_ = -1;
    bool switchPending_ = false;
    bool needSync_ = true;
    framing::Encoding encoding_ = framing::Encoding::Unknown;
    QString extension_;
    QByteArray syncBuffer_;
    // MPEG and ADTS: the end of what the file holds, and whether the next connection's
    // first bytes are to be looked for in it (a server sends a new listener a few seconds
    // it already sent, which the file must not hold twice).
    QByteArray tail_;
    bool resumed_ = false;
    framing::OggPageReader oggReader_;
    framing::OggHeaders oggHeaders_;
    std::vector<framing::OggPage> pages_;
    QByteArray heldPage_; // Ogg: the last page, written when the next comes or at the end
    // Ogg: the serial numbers the file holds; a chain that comes with one of them again (a
    // source that started again the same way) is given a new one, or the file could not
    // be told apart into its chains.
    QSet<quint32> serials_;
    // Ogg: the pages of the source's stream that the file's last chain holds, by number and
    // CRC, and whether a new connection is being matched against them: a server sends a new
    // listener pages it already sent, which the file must not hold twice; the stream goes
    // on in the same chain with the page after the last one written.
    struct WrittenPage {
        quint32 sequence;
        quint32 crc;
    };
    std::deque<WrittenPage> written_;
    quint32 writtenSerial_ = 0;
    bool oggResuming_ = false;
    bool renumbering_ = false;
    quint32 renumberFrom_ = 0;
    quint32 renumberTo_ = 0;
    std::chrono::steady_clock::time_point lastCheck_;
};

} // namespace platform
