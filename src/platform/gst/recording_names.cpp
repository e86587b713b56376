#include "platform/gst/recording_names.h"

#include <QFile>

namespace platform::recording {

namespace {

bool dropped(QChar c) {
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format: // bidirectional overrides, zero-width characters
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
        return true;
    default:
        return false;
    }
}

QString replacement(QChar c) {
    if (c == u'/' || c == u'\\')
        return QStringLiteral("-");
    if (QStringView(u":*?\"<>|").contains(c))
        return QStringLiteral("_");
    return QString(c);
}

} // namespace

QString safeStem(const QString& text, int maxBytes) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A pair of surrogates is one character; a lone one is dropped.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t u = QChar::surrogateToUcs4(c, text.at(i + 1));
            const auto category = QChar::category(u);
            if (category != QChar::Other_PrivateUse && category != QChar::Other_NotAssigned &&
                category != QChar::Other_Format)
                out += text.mid(i, 2);
            ++i;
            continue;
        }
        if (c.isSpace())
            out += u' '; // line breaks and tabs too
        else if (!dropped(c))
            out += replacement(c);
    }
    out = out.simplified();
    while (out.startsWith(u'.') || out.startsWith(u' '))
        out.remove(0, 1);
    const auto trimEnd = [&out] {
        while (out.endsWith(u'.') || out.endsWith(u' '))
            out.chop(1);
    };
    trimEnd();
    while (!out.isEmpty() && QFile::encodeName(out).size() > maxBytes) {
        out.chop(out.size() >= 2 && out.at(out.size() - 1).isLowSurrogate() ? 2 : 1);
        trimEnd();
    }
    return out;
}

QString stationStem(const QString& station, const QDateTime& start) {
    const QString time = start.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString name = safeStem(station, maxStemBytes - int(time.size()) - 1);
    if (name.isEmpty())
        name = QStringLiteral("Recording");
    return name + u' ' + time;
}

QString candidateName(const QString& stem, const QString& extension, int n) {
    const QString base = n <= 1 ? stem : QStringLiteral("%1 (%2)").arg(stem).arg(n);
    return extension.isEmpty() ? base : base + u'.' + extension;
}

} // namespace platform::recording
