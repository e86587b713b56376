#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

namespace common {

// The record format of every data file: each field's text between double quotes,
// fields separated by single commas, the record ended by CR LF. Text is stored as
// UTF-8; files that are not valid UTF-8 (written by older 8-bit tools) read as
// Windows-1252/Latin-1.
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

// Reads `count` fields from a file; a missing or unreadable file gives `count` empty
// fields.
QStringList readQuotedFieldFile(const QString& path, int count);

// The bytes of one record: "f1","f2",...,"fn" CR LF. A double quote inside a value is
// written unchanged (the format has no escape).
QByteArray quotedFieldLine(const QStringList& fields);

// Replaces `path` whole with `bytes`: written beside it, then renamed over it, so the
// file is always either the old or the new whole file. Creates a missing folder.
// Returns an empty string on success, otherwise a plain sentence saying why it failed.
QString saveFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace common
