#include "directory/station.h"

#include "common/remote_text.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace directory {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("directory::Station", text);
}

bool isBidiControl(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

QString text(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isString() ? v.toString() : QString();
}

// Numbers come as JSON numbers; a string of digits is taken too. Anything else is 0.
int count(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    double d = 0;
    if (v.isDouble())
        d = v.toDouble();
    else if (v.isString())
        d = v.toString().trimmed().toDouble();
    if (!std::isfinite(d))
        return 0;
    return int(std::clamp(d, 0.0, 1e9));
}

Station readStation(const QJsonObject& o) {
    Station s;
    s.uuid = cleanRemoteText(text(o, "stationuuid"), 64);
    s.name = cleanRemoteText(text(o, "name"), kMaxNameLength);
    s.address = usableAddress(text(o, "url_resolved"));
    if (s.address.isEmpty())
        s.address = usableAddress(text(o, "url"));
    s.country = cleanRemoteText(text(o, "country"), kMaxFieldLength);
    if (s.country.isEmpty())
        s.country = cleanRemoteText(text(o, "countrycode"), 8);
    s.codec = cleanRemoteText(text(o, "codec"), 32);
    s.bitrate = std::min(count(o, "bitrate"), 100000);
    s.tags = cleanRemoteText(text(o, "tags"), kMaxFieldLength);
    s.votes = count(o, "votes");
    return s;
}

} // namespace

QUrlQuery searchParameters(const SearchQuery& query) {
    QUrlQuery q;
    const auto add = [&q](const char* key, const QString& value) {
        const QString v = value.trimmed();
        if (!v.isEmpty())
            q.addQueryItem(QLatin1String(key), v);
    };
    add("name", query.name);
    add("tag", query.tag);
    add("country", query.country);
    add("language", query.language);
    add("codec", query.codec);
    q.addQueryItem(QStringLiteral("order"), QStringLiteral("votes"));
    q.addQueryItem(QStringLiteral("reverse"), QStringLiteral("true"));
    q.addQueryItem(QStringLiteral("hidebroken"), QStringLiteral("true"));
    q.addQueryItem(QStringLiteral("offset"), QString::number(std::max(0, query.offset)));
    q.addQueryItem(QStringLiteral("limit"), QString::number(kPageSize + 1));
    return q;
}

QList<Station> readStations(const QByteArray& body, bool* more, QString* error) {
    *more = false;
    error->clear();
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = tr("The directory's answer could not be read (%1 at byte %2).")
                     .arg(parseError.errorString())
                     .arg(parseError.offset);
        return {};
    }
    if (!doc.isArray()) {
        *error = tr("The directory's answer was not a list of stations.");
        return {};
    }
    const QJsonArray list = doc.array();
    QList<Station> stations;
    stations.reserve(std::min<qsizetype>(list.size(), kPageSize));
    for (qsizetype i = 0; i < list.size() && stations.size() < kPageSize; ++i) {
        const QJsonValue v = list.at(i);
        if (v.isObject())
            stations.append(readStation(v.toObject()));
    }
    *more = list.size() > kPageSize;
    return stations;
}

QString cleanRemoteText(const QString& text, int maxLength) {
    // The shared cleaning, with the directory's white space folded before (its names and
    // tags come padded and broken over lines) and after (a removed control character can
    // leave two spaces side by side).
    return common::cleanRemoteText(text.simplified(), std::max(1, maxLength)).simplified();
}

QString usableAddress(const QString& address) {
    QString a = address.trimmed();
    if (a.isEmpty() || a.size() > kMaxAddressLength)
        return {};
    for (const QChar c : a)
        if (c.isSpace() || c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char('"') ||
            isBidiControl(c.unicode()))
            return {};
    const QUrl url(a, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return {};
    return a;
}

} // namespace directory
