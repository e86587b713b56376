#include "common/remote_text.h"

#include <algorithm>

namespace common {

namespace {

bool breaksLine(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == 0x85 ||
           c == 0x2028 || c == 0x2029;
}

bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

bool overridesDirection(char16_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString cleanRemoteText(const QString& text, qsizetype maxLength) {
    constexpr char16_t ellipsis = 0x2026;
    if (maxLength < 1)
        return QString();
    QString out;
    // Nothing past the cap is kept, so the input past it is not looked at: a title of
    // megabytes costs no more than one at the cap.
    out.reserve(std::min(text.size(), maxLength + 2));
    bool inBreak = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n && out.size() <= maxLength; ++i) {
        const char16_t c = text.at(i).unicode();
        if (breaksLine(c)) {
            if (!inBreak)
                out += u' ';
            inBreak = true;
            continue;
        }
        if (isControl(c) || overridesDirection(c))
            continue;
        inBreak = false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                out += QChar(c);
                out += text.at(++i);
            }
            continue;
        }
        if (!QChar::isLowSurrogate(c))
            out += QChar(c);
    }
    if (out.size() > maxLength) {
        qsizetype keep = maxLength - 1;
        if (keep > 0 && out.at(keep - 1).isHighSurrogate())
            --keep;
        out.truncate(keep);
        out += QChar(ellipsis);
    }
    return out;
}

QString menuCaption(const QString& text) {
    QString caption = text;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty())
        return QString();
    return QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace common
