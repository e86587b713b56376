#include "platform/gst/tag_text.h"

#include <QStringDecoder>

namespace platform {

QString decodeTagText(const QByteArray& raw) {
    // Windows-1252 differs from Latin-1 only in 0x80..0x9F; five of those are unassigned
    // and keep their Latin-1 meaning.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (!utf8.hasError()) {
        // C1 control characters never belong in a title: they are Windows-1252 text that an
        // earlier stage read as Latin-1.
        for (QChar& c : text)
            if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
                c = QChar(high[c.unicode() - 0x80]);
        return text.trimmed();
    }
    text.clear();
    text.reserve(raw.size());
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte >= 0x80 && byte < 0xA0) ? QChar(high[byte - 0x80]) : QChar(byte);
    }
    return text.trimmed();
}

} // namespace platform
