#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace platform::framing {

// How a stream that is recorded as it arrives is cut into the units a file may start with.
enum class Encoding {
    Unknown, // cannot be recorded faithfully
    Mpeg,    // MPEG-1/2 audio (MP3, MP2): a file starts at a frame header
    Adts,    // AAC in ADTS frames: a file starts at a frame header
    Ogg,     // Ogg pages: a file starts with the stream's header pages, then a page
};

// Where the first frame header in data at or after from starts, checked by the header of
// the frame that follows it. nullopt when none can be told yet: the caller keeps the bytes
// from needMoreFrom() on and tries again with more.
struct FrameSearch {
    std::optional<qsizetype> start;
    qsizetype keepFrom = 0; // nothing before this can begin a frame
};
FrameSearch findFrameStart(Encoding encoding, const QByteArray& data);

// The length of the frame whose header begins at p (4 bytes for MPEG, 7 for ADTS are
// read), or 0 when there is no valid header there.
int mpegFrameLength(const uchar* p);
int adtsFrameLength(const uchar* p);

struct OggPage {
    QByteArray bytes;       // the whole page, header and body
    bool continued = false; // its first packet began on an earlier page
    bool beginsStream = false;
    bool endsStream = false;
    qint64 granule = 0;
    quint32 serial = 0;
    quint32 sequence = 0; // the page's number in its stream
    quint32 crc = 0;      // as the page states it (and its bytes bear out)
    // The first packet's first bytes, for a page that begins a stream (tells the codec).
    QByteArray firstPacketStart() const;
};

// Ogg pages out of a byte stream, each checked by its CRC; bytes that are no page are
// skipped until the next one that is.
class OggPageReader {
public:
    // Appends every page completed by data to pages.
    void feed(const char* data, qsizetype size, std::vector<OggPage>& pages);
    void clear() { buffer_.clear(); }

private:
    QByteArray buffer_;
};

// The Ogg CRC (polynomial 0x04c11db7, unreflected), over a page whose CRC field is zero.
quint32 oggCrc(const char* data, qsizetype size);
// The page marked as the last of its stream, its CRC made again.
QByteArray withEndOfStream(const QByteArray& page);
// Whole pages, those of stream `from` given the serial number `to`, their CRCs made again.
QByteArray withSerial(const QByteArray& pages, quint32 from, quint32 to);

// The header pages of the current chain: the pages that begin streams and those after
// them that hold only header packets (granule position 0, or no packet ending).
class OggHeaders {
public:
    // Whether the page is one of the chain's header pages; a page that begins a stream
    // after audio pages starts a new chain.
    bool see(const OggPage& page);
    const QByteArray& pages() const { return pages_; }
    // The file-name extension the chain's first stream calls for ("ogg", "opus", "oga").
    QString extension() const { return extension_; }
    void clear() { *this = OggHeaders(); }

private:
    QByteArray pages_;
    QString extension_ = QStringLiteral("ogg");
    bool collecting_ = false;
    bool lastBegan_ = false;
};

} // namespace platform::framing
