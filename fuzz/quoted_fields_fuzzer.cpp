// Any bytes as a data file: the reader gives exactly the fields asked for, each within
// its cap. The same bytes, turned into values the format can hold (no double quote, no
// line end), survive a write and a read unchanged, with or without a byte order mark.
#include "common/quoted_fields.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
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
QStringList valuesFrom(const QByteArray& bytes) {
    QStringList values;
    for (const QByteArray& part : bytes.split('\x1f')) {
        if (values.size() == kFields)
            break;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        QString value = utf8.decode(part);
        value.remove(QLatin1Char('"')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        values << value;
    }
    return values;
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

    const QStringList values = valuesFrom(bytes);
    const QByteArray line = common::quotedFieldLine(values);
    const QStringList back = common::readQuotedFields(line, static_cast<int>(values.size()));
    if (back != values)
        fail("round trip", line);
    // The same line as a Windows editor saves it, behind a byte order mark.
    const QStringList marked =
        common::readQuotedFields("\xEF\xBB\xBF" + line, static_cast<int>(values.size()));
    if (marked != values)
        fail("round trip behind a byte order mark", line);
    return 0;
}
