// Any bytes as a data file: the reader gives exactly the fields asked for, each within
// its cap. The same bytes, turned into values the format can hold (no double quote, no
// line end), survive a write and a read unchanged, with or without a byte order mark,
// whether taken as UTF-8 or as Windows-1252. Whatever a file read as, it reads as the
// same text after a save, and a line that Windows-1252 can hold is saved one byte per
// character unless those bytes would read back as other text.
#include "common/quoted_fields.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kFields = 20;

[[noreturn]] void fail(const char* what, const QByteArray& detail = {}) {
    std::fprintf(stderr, "property broken: %s %s\n", what, detail.toHex(' ').constData());
    std::abort();
}

// Splits the input on 0x1F into at most kFields values, with the characters the format
// cannot carry taken out.
QString formatSafe(QString value) {
    return value.remove(QLatin1Char('"')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
}

QStringList valuesFrom(const QByteArray& bytes, bool windows1252) {
    QStringList values;
    for (const QByteArray& part : bytes.split('\x1f')) {
        if (values.size() == kFields)
            break;
        if (windows1252) {
            values << formatSafe(common::fromWindows1252(part));
        } else {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
            values << formatSafe(utf8.decode(part));
        }
    }
    return values;
}

void roundTrip(const QStringList& values, const char* what) {
    const QByteArray line = common::quotedFieldLine(values);
    const QStringList back = common::readQuotedFields(line, static_cast<int>(values.size()));
    if (back != values)
        fail(what, line);
    // The same line as a Windows editor saves it, behind a byte order mark.
    const QStringList marked =
        common::readQuotedFields("\xEF\xBB\xBF" + line, static_cast<int>(values.size()));
    if (marked != values)
        fail("round trip behind a byte order mark", line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const QStringList fields = common::readQuotedFields(bytes, kFields);
    if (fields.size() != kFields)
        fail("field count", bytes);
    for (const QString& field : fields)
        if (field.size() > common::kMaxFieldBytes)
            fail("field over its cap", bytes);

    roundTrip(valuesFrom(bytes, false), "round trip of UTF-8 values");
    const QStringList values1252 = valuesFrom(bytes, true);
    roundTrip(values1252, "round trip of Windows-1252 values");

    // Every byte has its character and back.
    if (common::toWindows1252(common::fromWindows1252(bytes)) != bytes)
        fail("Windows-1252 bytes to text and back", bytes);
    // A line Windows-1252 holds is written in it, one byte per character, unless those
    // bytes are valid UTF-8 that is not plain ASCII (they would read back as other text).
    const QByteArray line1252 = common::quotedFieldLine(values1252);
    qsizetype characters =
        2 * values1252.size() + std::max<qsizetype>(values1252.size() - 1, 0) + 2;
    for (const QString& value : values1252)
        characters += value.size();
    if (line1252.size() != characters) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(line1252); // decoding happens on conversion
        if (utf8.hasError())
            fail("a Windows-1252 line not written in Windows-1252", line1252);
    }

    // What a file read as, it reads as again after a save of its fields.
    QStringList read;
    for (const QString& field : fields)
        read << formatSafe(field);
    const QByteArray saved = common::quotedFieldLine(read);
    if (common::readQuotedFields(saved, kFields) != read)
        fail("a read file saved back reads as other text", saved);
    return 0;
}
