#pragma once

// Reading an HTTP answer's head and body framing, as pure functions: any bytes from any
// server, never more work or memory than the bytes given.

#include <QByteArray>
#include <utility>

namespace net::http {

// Header bytes (status line included) beyond which an answer is given up on: real
// servers send well under 2 KiB.
inline constexpr qsizetype maxHeaderBytes = 16 * 1024;
inline constexpr int maxRedirects = 5;

// Where the blank line after the headers starts at or after from, and its length; -1 when
// the head is not complete yet. Servers that end lines with a bare LF are read too.
std::pair<qsizetype, int> headEnd(const QByteArray& data, qsizetype from);

// The status line and headers of an HTTP (or SHOUTcast "ICY") answer.
struct ResponseHead {
    bool valid = false;
    int status = 0;
    QByteArray reason; // the status line's words after the number
    QByteArray contentType;
    QByteArray location;
    qint64 contentLength = -1; // -1: not given
    bool chunked = false;
};

// Reads the head of an answer, the bytes before the blank line (without it). Takes any
// bytes; an unreadable status line gives valid == false.
ResponseHead parseResponseHead(const QByteArray& head);

// The body of a chunked transfer; what a truncated or malformed body holds up to the
// damage. Never returns more bytes than it was given.
QByteArray dechunk(const QByteArray& raw);

} // namespace net::http
