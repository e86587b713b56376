// Any bytes as a directory answer, and as text from the directory: at most one page of
// stations comes back, every text is clean (no controls, direction overrides or lone
// surrogates) and within its cap, every address kept is one a player may open, and
// cleaning clean text changes nothing.
#include "directory/station.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "property broken: %s %s\n", what, detail.toUtf8().toHex(' ').constData());
    std::abort();
}

qsizetype codePoints(const QString& s) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}

void checkClean(const QString& s, int maxLength) {
    if (codePoints(s) > maxLength)
        fail("text over its cap", s);
    if (s.startsWith(QLatin1Char(' ')) || s.endsWith(QLatin1Char(' ')) ||
        s.contains(QStringLiteral("  ")))
        fail("white space not folded", s);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
            (c >= 0x2066 && c <= 0x2069))
            fail("control or direction character kept", s);
        if (s[i].isHighSurrogate() && !(i + 1 < s.size() && s[i + 1].isLowSurrogate()))
            fail("lone high surrogate", s);
        if (s[i].isLowSurrogate() && !(i > 0 && s[i - 1].isHighSurrogate()))
            fail("lone low surrogate", s);
    }
    if (directory::cleanRemoteText(s, maxLength) != s)
        fail("cleaning clean text changed it", s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    bool more = false;
    QString error;
    const QList<directory::Station> stations = directory::readStations(bytes, &more, &error);
    if (stations.size() > directory::kPageSize)
        fail("more than one page");
    if (!error.isEmpty() && (!stations.isEmpty() || more))
        fail("stations together with an error", error);
    for (const directory::Station& s : stations) {
        checkClean(s.name, directory::kMaxNameLength);
        checkClean(s.country, directory::kMaxFieldLength);
        checkClean(s.tags, directory::kMaxFieldLength);
        if (!s.address.isEmpty() && directory::usableAddress(s.address) != s.address)
            fail("an address kept that a player may not open", s.address);
        if (!s.address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
            !s.address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) &&
            !s.address.isEmpty())
            fail("an address kept that is not http(s)", s.address);
        if (s.votes < 0 || s.bitrate < 0)
            fail("a negative count");
    }

    const QString text = QString::fromUtf8(bytes);
    for (const int cap : {0, 1, 7, directory::kMaxNameLength})
        checkClean(directory::cleanRemoteText(text, cap), cap == 0 ? 1 : cap);
    return 0;
}
