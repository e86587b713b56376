#include "common/quoted_fields.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace common {

namespace {

// Reads a device a block at a time with one byte of look-ahead, so that a file of any
// size is scanned in constant memory.
class ByteStream {
public:
    explicit ByteStream(QIODevice& in) : in_(in) {}

    // The next byte, or -1 at the end of input.
    int peek() {
        if (pos_ == block_.size() && !refill())
            return -1;
        return static_cast<unsigned char>(block_[pos_]);
    }
    int get() {
        const int c = peek();
        if (c >= 0)
            ++pos_;
        return c;
    }

private:
    bool refill() {
        block_ = in_.read(64 * 1024);
        pos_ = 0;
        return !block_.isEmpty();
    }

    QIODevice& in_;
    QByteArray block_;
    qsizetype pos_ = 0;
};

bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}
bool isSeparator(int c) {
    return c == ',' || isLineEnd(c);
}

// Consumes one separator: a comma, CR, LF or CR LF.
void skipSeparator(ByteStream& s) {
    const int c = s.get();
    if (c == '\r' && s.peek() == '\n')
        s.get();
}

// Appends a byte to a field unless the field has reached its cap.
void keep(QByteArray& field, int c) {
    if (field.size() < kMaxFieldBytes)
        field.append(static_cast<char>(c));
}

QByteArray readQuoted(ByteStream& s) {
    QByteArray value;
    // Length of `value` up to its last inner quote, or -1 while it has none.
    qsizetype lastInnerQuote = -1;
    for (;;) {
        const int c = s.get();
        if (c < 0 || (isSeparator(c) && lastInnerQuote >= 0)) {
            // The end of input, or a separator after an inner quote: that quote closed
            // the field and the text after it is stray. Drop the text so that the
            // following fields keep their order.
            if (c == '\r' && s.peek() == '\n')
                s.get();
            if (lastInnerQuote >= 0)
                value.truncate(lastInnerQuote);
            return value;
        }
        if (c == '"') {
            const int next = s.peek();
            if (next < 0 || isSeparator(next)) {
                if (next >= 0)
                    skipSeparator(s);
                return value;
            }
            lastInnerQuote = value.size();
            keep(value, c);
            continue;
        }
        keep(value, c);
    }
}

QByteArray readUnquoted(ByteStream& s) {
    QByteArray value;
    for (int c = s.peek(); c >= 0 && !isSeparator(c); c = s.peek())
        keep(value, s.get());
    if (s.peek() >= 0)
        skipSeparator(s);
    return value;
}

QString decode(const QByteArray& bytes) {
    // Each field is decoded on its own, so a value's leading U+FEFF is text, not a mark.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

} // namespace

QStringList readQuotedFields(QIODevice& in, int count) {
    // Text editors on Windows start a UTF-8 file with a byte order mark; it is no part of
    // the first field.
    if (in.peek(3) == "\xEF\xBB\xBF")
        in.skip(3);
    ByteStream s(in);
    QStringList fields;
    fields.reserve(count);
    while (fields.size() < count) {
        while (s.peek() == ' ' || s.peek() == '\t')
            s.get();
        const int c = s.peek();
        if (c < 0)
            break;
        if (c == '"') {
            s.get();
            fields << decode(readQuoted(s));
        } else {
            fields << decode(readUnquoted(s));
        }
    }
    while (fields.size() < count)
        fields << QString();
    return fields;
}

QStringList readQuotedFields(const QByteArray& bytes, int count) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readQuotedFields(buffer, count);
}

QStringList readQuotedFieldFile(const QString& path, int count) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QStringList empty;
        for (int i = 0; i < count; ++i)
            empty << QString();
        return empty;
    }
    return readQuotedFields(file, count);
}

QByteArray quotedFieldLine(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += '"';
        line += fields[i].toUtf8();
        line += '"';
    }
    line += "\r\n";
    return line;
}

QString saveFileAtomically(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("The folder %1 could not be created.")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A small write only fills the buffer, and commit() does not look at how emptying it
    // went: on a full disk it would rename an empty file over the old one and succeed.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace common
