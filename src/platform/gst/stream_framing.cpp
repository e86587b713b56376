#include "platform/gst/stream_framing.h"

#include <array>
#include <cstring>

namespace platform::framing {

namespace {

// Bit rates in kbit/s by [table][index]: MPEG-1 layer I, II, III; MPEG-2/2.5 layer I;
// MPEG-2/2.5 layers II and III.
constexpr int bitRates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};
constexpr int sampleRates[3] = {44100, 48000, 32000};

// What two headers of one stream share: version, layer, sample rate (MPEG); profile,
// sample rate, channels (ADTS).
quint32 mpegIdentity(const uchar* p) {
    return (quint32(p[1]) & 0x1E) << 8 | (quint32(p[2]) & 0x0C);
}
quint32 adtsIdentity(const uchar* p) {
    return (quint32(p[2]) & 0xFD) << 8 | (quint32(p[3]) & 0xC0);
}

const std::array<quint32, 256> crcTable = [] {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 r = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
        table[i] = r;
    }
    return table;
}();

quint32 readLe32(const char* p) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uchar(p[i]);
    return v;
}

} // namespace

int mpegFrameLength(const uchar* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (p[1] >> 3) & 3; // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layer = (p[1] >> 1) & 3;   // 1: III, 2: II, 3: I, 0: reserved
    const int rateIndex = p[2] >> 4;
    const int sampleIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer == 0 || rateIndex == 0 || rateIndex == 15 || sampleIndex == 3)
        return 0;
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? 3 - layer : (layer == 3 ? 3 : 4);
    const int bitRate = bitRates[table][rateIndex] * 1000;
    const int sampleRate = sampleRates[sampleIndex] >> (mpeg1 ? 0 : (version == 2 ? 1 : 2));
    const int padding = (p[2] >> 1) & 1;
    if (layer == 3)
        return (12 * bitRate / sampleRate + padding) * 4;
    const int factor = (layer == 1 && !mpeg1) ? 72 : 144;
    return factor * bitRate / sampleRate + padding;
}

int adtsFrameLength(const uchar* p) {
    if (p[0] != 0xFF || (p[1] & 0xF6) != 0xF0)
        return 0;
    if (((p[2] >> 2) & 0xF) >= 13)
        return 0;
    const int length = (p[3] & 3) << 11 | p[4] << 3 | p[5] >> 5;
    const int header = (p[1] & 1) ? 7 : 9;
    return length > header ? length : 0;
}

FrameSearch findFrameStart(Encoding encoding, const QByteArray& data) {
    const bool mpeg = encoding == Encoding::Mpeg;
    if (!mpeg && encoding != Encoding::Adts)
        return {std::nullopt, data.size()};
    const int headerBytes = mpeg ? 4 : 7;
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype size = data.size();
    for (qsizetype i = 0; i + headerBytes <= size; ++i) {
        if (p[i] != 0xFF)
            continue;
        const int length = mpeg ? mpegFrameLength(p + i) : adtsFrameLength(p + i);
        if (length == 0)
            continue;
        if (i + length + headerBytes > size)
            return {std::nullopt, i}; // the next header decides
        const uchar* next = p + i + length;
        const int nextLength = mpeg ? mpegFrameLength(next) : adtsFrameLength(next);
        const bool same = mpeg ? mpegIdentity(next) == mpegIdentity(p + i)
                               : adtsIdentity(next) == adtsIdentity(p + i);
        if (nextLength > 0 && same)
            return {i, i};
    }
    return {std::nullopt, std::max<qsizetype>(0, size - headerBytes + 1)};
}

quint32 oggCrc(const char* data, qsizetype size) {
    quint32 crc = 0;
    for (qsizetype i = 0; i < size; ++i)
        crc = (crc << 8) ^ crcTable[((crc >> 24) ^ uchar(data[i])) & 0xFF];
    return crc;
}

QByteArray withEndOfStream(const QByteArray& page) {
    QByteArray out = page;
    if (out.size() < 27)
        return out;
    out[5] = char(out[5] | 0x04);
    std::memset(out.data() + 22, 0, 4);
    const quint32 crc = oggCrc(out.constData(), out.size());
    for (int i = 0; i < 4; ++i)
        out[22 + i] = char((crc >> (8 * i)) & 0xFF);
    return out;
}

QByteArray withSerial(const QByteArray& pages, quint32 from, quint32 to) {
    QByteArray out = pages;
    qsizetype at = 0;
    while (at + 27 <= out.size()) {
        char* h = out.data() + at;
        const int segments = uchar(h[26]);
        if (at + 27 + segments > out.size())
            break;
        qsizetype length = 27 + segments;
        for (int s = 0; s < segments; ++s)
            length += uchar(h[27 + s]);
        if (at + length > out.size())
            break;
        if (readLe32(h + 14) == from) {
            for (int i = 0; i < 4; ++i)
                h[14 + i] = char((to >> (8 * i)) & 0xFF);
            std::memset(h + 22, 0, 4);
            const quint32 crc = oggCrc(h, length);
            for (int i = 0; i < 4; ++i)
                h[22 + i] = char((crc >> (8 * i)) & 0xFF);
        }
        at += length;
    }
    return out;
}

QByteArray OggPage::firstPacketStart() const {
    if (bytes.size() < 27)
        return {};
    const int segments = uchar(bytes[26]);
    return bytes.mid(27 + segments, 16);
}

void OggPageReader::feed(const char* data, qsizetype size, std::vector<OggPage>& pages) {
    buffer_.append(data, size);
    qsizetype at = 0;
    while (true) {
        const qsizetype found = buffer_.indexOf("OggS", at);
        if (found < 0) {
            at = std::max<qsizetype>(at, buffer_.size() - 3);
            break;
        }
        at = found;
        const qsizetype left = buffer_.size() - at;
        if (left < 27)
            break;
        const char* h = buffer_.constData() + at;
        const int segments = uchar(h[26]);
        if (h[4] != 0 || left < 27 + segments) {
            if (h[4] != 0) {
                ++at;
                continue;
            }
            break;
        }
        qsizetype body = 0;
        for (int s = 0; s < segments; ++s)
            body += uchar(h[27 + s]);
        const qsizetype length = 27 + segments + body;
        if (left < length)
            break;
        QByteArray page(h, length);
        const quint32 stated = readLe32(h + 22);
        std::memset(page.data() + 22, 0, 4);
        if (oggCrc(page.constData(), length) != stated) {
            ++at; // not a page after all
            continue;
        }
        std::memcpy(page.data() + 22, h + 22, 4);
        OggPage out;
        out.continued = h[5] & 0x01;
        out.beginsStream = h[5] & 0x02;
        out.endsStream = h[5] & 0x04;
        out.granule = qint64(quint64(readLe32(h + 6)) | quint64(readLe32(h + 10)) << 32);
        out.serial = readLe32(h + 14);
        out.sequence = readLe32(h + 18);
        out.crc = stated;
        out.bytes = std::move(page);
        pages.push_back(std::move(out));
        at += length;
    }
    buffer_.remove(0, at);
    // A page is at most 65307 bytes; more than that without one is no Ogg stream.
    if (buffer_.size() > 2 * 65307)
        buffer_.remove(0, buffer_.size() - 65307);
}

bool OggHeaders::see(const OggPage& page) {
    if (page.beginsStream) {
        if (!lastBegan_) {
            pages_.clear(); // a new chain
            const QByteArray start = page.firstPacketStart();
            if (start.startsWith("OpusHead"))
                extension_ = QStringLiteral("opus");
            else if (start.startsWith("\x7f"
                                      "FLAC") ||
                     start.startsWith("Speex"))
                extension_ = QStringLiteral("oga");
            else
                extension_ = QStringLiteral("ogg");
        }
        lastBegan_ = true;
        collecting_ = true;
        pages_ += page.bytes;
        return true;
    }
    lastBegan_ = false;
    if (collecting_ && (page.granule == 0 || page.granule == -1)) {
        pages_ += page.bytes;
        return true;
    }
    collecting_ = false;
    return false;
}

} // namespace platform::framing
