#include "common/quoted_fields.h"

#include "common/data_folder.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

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
        block_ = in_.read(qint64{64} * 1024);
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

// Windows-1252 for 0x80-0x9F; the rest of the code page is Latin-1. The five bytes
// the code page leaves undefined map to the C1 controls of the same value, as Windows
// itself maps them, so that such a byte survives a read and a save unchanged.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<char> windows1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

QStringDecoder utf8Decoder() {
    // Each field is decoded on its own, so a value's leading U+FEFF is text, not a mark.
    return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
}

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder utf8 = utf8Decoder();
    const QString text = utf8.decode(bytes); // decoding happens on conversion
    return !utf8.hasError();
}

bool isAscii(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One encoding for the whole record, so that all of its fields read as written.
QStringList decodeFields(const QList<QByteArray>& raw) {
    const bool utf8 = std::all_of(raw.begin(), raw.end(), isUtf8);
    QStringList fields;
    fields.reserve(raw.size());
    for (const QByteArray& bytes : raw) {
        if (utf8) {
            QStringDecoder decoder = utf8Decoder();
            fields << decoder.decode(bytes);
        } else {
            fields << fromWindows1252(bytes);
        }
    }
    return fields;
}

} // namespace

bool isRandomTemporarySuffix(const QString& suffix) {
    if (suffix.size() != 6)
        return false;
    int upper = 0;
    for (const QChar c : suffix) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            ++upper;
        else if (!(u >= u'a' && u <= u'z'))
            return false;
    }
    const bool capitalised = upper == 1 && suffix.at(0).isUpper();
    return upper != 0 && upper != suffix.size() && !capitalised;
}

namespace {

// Stale means untouched for this long: no save takes more than a moment, so an older
// temporary is one whose save was cut short, never one another copy of the program is
// still writing.
constexpr qint64 kStaleTemporarySeconds = 60;

// QSaveFile writes "<name>.XXXXXX" beside the file, the X's being six random letters of
// either case. A suffix that reads like a word (all lower case, all upper case, or one
// capital then lower case: "Backup", "BACKUP") is what a person names a copy, so it is
// never taken for ours; that spares about one stray temporary in twenty, which is kept.
bool isOurTemporaryName(const QString& candidate, const QString& fileName) {
    if (candidate.size() != fileName.size() + 7 || !candidate.startsWith(fileName) ||
        candidate.at(fileName.size()) != QLatin1Char('.'))
        return false;
    return isRandomTemporarySuffix(candidate.mid(fileName.size() + 1));
}

void removeStaleTemporaries(const QFileInfo& target) {
    const QDir folder = target.absoluteDir();
    const QString fileName = target.fileName();
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-kStaleTemporarySeconds);
    const QFileInfoList entries = folder.entryInfoList({fileName + QStringLiteral(".??????")},
                                                       QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        // Only our own kind: a plain file of this user, never a link to somewhere else.
        if (!isOurTemporaryName(entry.fileName(), fileName) || entry.isSymLink() ||
            !entry.isFile() || entry.ownerId() != ::geteuid() ||
            entry.lastModified().toUTC() >= staleBefore)
            continue;
        QFile::remove(entry.absoluteFilePath());
    }
}

// Files that readDataFile() found but could not read, by absolute path.
struct UnreadFiles {
    QMutex lock;
    QSet<QString> paths;
};
UnreadFiles& unreadFiles() {
    static UnreadFiles files;
    return files;
}

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

void rememberRead(const QString& path, bool readable) {
    UnreadFiles& files = unreadFiles();
    const QMutexLocker locker(&files.lock);
    if (readable)
        files.paths.remove(absolute(path));
    else
        files.paths.insert(absolute(path));
}

bool wasUnreadable(const QString& path) {
    UnreadFiles& files = unreadFiles();
    const QMutexLocker locker(&files.lock);
    return files.paths.contains(absolute(path));
}

// Whether anything at all is at `path`, a dangling link included.
bool somethingAt(const QString& path) {
    struct stat seen {};
    return ::lstat(QFile::encodeName(path).constData(), &seen) == 0;
}

} // namespace

QStringList readQuotedFields(QIODevice& in, int count) {
    // Text editors on Windows start a UTF-8 file with a byte order mark; it is no part of
    // the first field.
    if (in.peek(3) == "\xEF\xBB\xBF")
        in.skip(3);
    ByteStream s(in);
    QList<QByteArray> fields;
    fields.reserve(count);
    while (fields.size() < count) {
        while (s.peek() == ' ' || s.peek() == '\t')
            s.get();
        const int c = s.peek();
        if (c < 0)
            break;
        if (c == '"') {
            s.get();
            fields << readQuoted(s);
        } else {
            fields << readUnquoted(s);
        }
    }
    while (fields.size() < count)
        fields << QByteArray();
    return decodeFields(fields);
}

QStringList readQuotedFields(const QByteArray& bytes, int count) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readQuotedFields(buffer, count);
}

DataFileRead readDataFile(const QString& path, int count) {
    const FileBytes file = readDataFileBytes(path);
    rememberRead(path, file.state != FileBytes::State::Unreadable);
    return {readQuotedFields(file.bytes, count), file.why};
}

QStringList readQuotedFieldFile(const QString& path, int count) {
    return readDataFile(path, count).fields;
}

std::optional<QByteArray> toWindows1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const std::optional<char> byte = windows1252Byte(c.unicode());
        if (!byte)
            return std::nullopt;
        bytes += *byte;
    }
    return bytes;
}

QString fromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        *out++ = QChar(c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : char16_t(c));
    }
    return text;
}

QByteArray quotedFieldLine(const QStringList& fields) {
    QList<QByteArray> encoded;
    encoded.reserve(fields.size());
    for (const QString& field : fields) {
        const std::optional<QByteArray> bytes = toWindows1252(field);
        if (!bytes) {
            encoded.clear();
            break;
        }
        encoded << *bytes;
    }
    // A reader takes a record whose every field is valid UTF-8 as UTF-8.
    const bool readsAsWritten =
        !encoded.isEmpty() && (std::all_of(encoded.begin(), encoded.end(), isAscii) ||
                               !std::all_of(encoded.begin(), encoded.end(), isUtf8));
    if (!readsAsWritten && !fields.isEmpty()) {
        encoded.clear();
        for (const QString& field : fields)
            encoded << field.toUtf8();
    }
    QByteArray line;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (i > 0)
            line += ',';
        line += '"';
        line += encoded[i];
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
    if (somethingAt(path)) {
        // What could not be read was never shown, so writing over it would lose it
        // unseen; the user decides what becomes of it.
        if (wasUnreadable(path))
            return QStringLiteral("It could not be read, so saving over it would lose what it "
                                  "holds. Make it readable or move it away, then start the "
                                  "program again.");
        const FileBytes look = readDataFileBytes(path, 0);
        if (look.state == FileBytes::State::Unreadable && !info.isFile())
            return QStringLiteral("It is not replaced because %1.").arg(look.why);
    }
    removeStaleTemporaries(info);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A small write only fills the buffer, and commit() does not look at how emptying it
    // went: on a full disk it would rename an empty file over the old one and succeed.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace common
