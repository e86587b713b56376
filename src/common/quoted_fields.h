#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <optional>

namespace common {

// The record format of every data file: each field's text between double quotes,
// fields separated by single commas, the record ended by CR LF.
//
// Text is 8-bit Windows-1252, the code page the files were made in, whenever every
// character of the record has a byte there; a record with any other character is
// written as UTF-8 instead. A file is read as UTF-8 when all of its fields are valid
// UTF-8 and as Windows-1252 otherwise. A record that would read back as UTF-8 although
// it was written as Windows-1252 (its bytes happen to be valid UTF-8, as "Ã©" is) is
// written as UTF-8, so whatever is saved reads back as the same text.
//
// Reading rules, in order of precedence:
//  - blanks (space, tab) before a field are skipped;
//  - a comma, CR, LF or CR LF separates fields, so fields may stand on several lines;
//  - a field that begins with a double quote ends at the first double quote that is
//    followed by a separator or by the end of input. A quote followed by anything else
//    belongs to the value, so "The "Best" FM" reads back as The "Best" FM;
//  - if a separator or the end of input comes before such a closing quote but after
//    an inner quote (a
//    hand-edited line such as "abc"xyz,"next"), the field ends there, its
//    value is the text up to the last inner quote and the stray text is dropped, so the
//    following fields keep their order;
//  - a field without quotes runs to the next separator, taken as it stands;
//  - missing fields (a short or empty file) read as empty text.
// Only `count` fields are read; the rest of the input is never looked at. A field
// keeps at most kMaxFieldBytes bytes; the rest of an oversized field is skipped, so a
// huge or binary file is read in bounded memory.
inline constexpr qsizetype kMaxFieldBytes = 64 * 1024;

QStringList readQuotedFields(QIODevice& in, int count);
QStringList readQuotedFields(const QByteArray& bytes, int count);

// What reading a data file gave: always `count` fields, and when the file exists but
// could not be read, a phrase saying why (empty otherwise).
struct DataFileRead {
    QStringList fields;
    QString problem;
};

// Reads `count` fields from at most kMaxDataFileBytes of a regular file; a missing
// file gives `count` empty fields and no problem. A file that cannot be read is also
// remembered, so that saveFileAtomically() will not replace what was never seen, until
// a later read of it succeeds.
DataFileRead readDataFile(const QString& path, int count);

// readDataFile() without the reason.
QStringList readQuotedFieldFile(const QString& path, int count);

// The Windows-1252 bytes of `text`, or nothing when some character has no byte there.
std::optional<QByteArray> toWindows1252(const QString& text);
QString fromWindows1252(const QByteArray& bytes);

// The bytes of one record: "f1","f2",...,"fn" CR LF, in the encoding described above.
// A double quote inside a value is written unchanged (the format has no escape).
QByteArray quotedFieldLine(const QStringList& fields);

// Replaces `path` whole with `bytes`: written beside it, then renamed over it, so the
// file is always either the old or the new whole file. Creates a missing folder.
// Returns an empty string on success, otherwise a plain sentence saying why it failed.
// Refuses to replace anything but a regular file, and a file that readDataFile() could
// not read (unless it has since gone). Removes stale temporaries of earlier saves of
// this file that were cut short (by a kill or a power cut) and left beside it.
QString saveFileAtomically(const QString& path, const QByteArray& bytes);

// Whether the part after "<file>." looks like the six random letters of a save's
// temporary rather than a name a person gave (a word in one case pattern, as "Backup").
bool isRandomTemporarySuffix(const QString& suffix);

} // namespace common
