// Any bytes from any server, recorded as MPEG audio, ADTS or Ogg, with reconnects, flushes
// and new files for titles at any point: the writer never fails on them, every file it
// leaves begins where a file of its encoding may begin (an Ogg file is whole checked pages
// from a page that begins a stream), the files hold exactly the bytes it counted, and
// nothing is written after the recording ends.
#include "platform/gst/recording_writer.h"
#include "platform/gst/stream_framing.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using platform::RecordingWriter;
namespace framing = platform::framing;

[[noreturn]] void fail(const char* what, const QString& file) {
    std::fprintf(stderr, "property broken: %s %s\n", what, qPrintable(file));
    std::abort();
}

// The input as a script: one byte of operation, then what it takes.
class Script {
public:
    Script(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    uint8_t byte() { return done() ? 0 : data_[at_++]; }
    QByteArray take(size_t n) {
        n = std::min(n, size_ - at_);
        const QByteArray out(reinterpret_cast<const char*>(data_ + at_), qsizetype(n));
        at_ += n;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

qint64 filesSize(const QDir& dir) {
    qint64 total = 0;
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files))
        total += f.size();
    return total;
}

void checkFile(const QString& path, framing::Encoding encoding) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail("a file it opened cannot be read", path);
    const QByteArray bytes = f.readAll();
    if (bytes.isEmpty())
        return;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    if (encoding == framing::Encoding::Ogg) {
        std::vector<framing::OggPage> pages;
        framing::OggPageReader().feed(bytes.constData(), bytes.size(), pages);
        qsizetype whole = 0;
        for (const framing::OggPage& page : pages)
            whole += page.bytes.size();
        if (whole != bytes.size())
            fail("an Ogg file holds bytes that are no whole page", path);
        if (pages.empty() || !pages.front().beginsStream)
            fail("an Ogg file does not begin a stream", path);
    } else if (bytes.size() >= 7) {
        const bool header = encoding == framing::Encoding::Mpeg ? framing::mpegFrameLength(p) > 0
                                                                : framing::adtsFrameLength(p) > 0;
        if (!header)
            fail("a file does not begin with a frame header", path);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir scratch;
    if (!scratch.isValid())
        std::abort();
    QDir dir(scratch.filePath("run"));
    dir.removeRecursively();
    QDir().mkpath(dir.path());

    Script script(data, size);
    const framing::Encoding encodings[] = {framing::Encoding::Mpeg, framing::Encoding::Adts,
                                           framing::Encoding::Ogg};
    const framing::Encoding encoding = encodings[script.byte() % 3];
    const QString extension = encoding == framing::Encoding::Adts ? "aac" : "mp3";
    int failures = 0;
    RecordingWriter writer([&](const RecordingWriter::Event& e) {
        failures += e.kind == RecordingWriter::Event::Kind::Failed;
    });
    writer.connectionStarted(encoding, extension);
    writer.begin(dir.path(), "Station");
    int titles = 0;
    while (!script.done()) {
        const uint8_t op = script.byte();
        switch (op % 8) {
        case 0:
            writer.connectionStarted(encoding, extension);
            break;
        case 1:
            writer.discontinuity();
            break;
        case 2:
            if (titles < 8) // a bounded number of files keeps each run quick
                writer.nextFile(QStringLiteral("Title %1").arg(++titles));
            break;
        default: {
            const QByteArray chunk = script.take(size_t(op) * 16 + script.byte());
            writer.consume(chunk.constData(), chunk.size());
            break;
        }
        }
    }
    writer.end();
    if (failures != 0)
        fail("writing to a folder that is there failed", dir.path());
    const qint64 written = filesSize(dir);
    if (written != writer.bytes())
        fail("the files do not hold the bytes counted", dir.path());
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files))
        checkFile(f.filePath(), encoding);
    // After the end, nothing more is written.
    const QByteArray more(4096, '\xff');
    writer.connectionStarted(encoding, extension);
    writer.consume(more.constData(), more.size());
    writer.end();
    if (filesSize(dir) != written)
        fail("bytes were written after the recording ended", dir.path());
    return 0;
}
