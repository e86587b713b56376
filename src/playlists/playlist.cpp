#include "playlists/playlist.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <map>
#include <optional>

namespace playlists {

namespace {

bool isNetworkScheme(const QString& scheme) {
    static const QStringList schemes{"http", "https", "rtsp", "rtsps", "mms", "mmsh", "mmst"};
    return schemes.contains(scheme);
}

// Lines of a text body: CR, LF or both end a line; NUL bytes end nothing and are dropped;
// lines longer than an entry can be are cut short (and then fail validation).
QStringList textLines(const QByteArray& body) {
    QStringList lines;
    QByteArray line;
    for (const char c : body) {
        if (c == '\r' || c == '\n') {
            if (!line.isEmpty())
                lines << QString::fromUtf8(line).trimmed();
            line.clear();
        } else if (c != '\0' && line.size() <= maxEntryLength) {
            line.append(c);
        }
    }
    if (!line.isEmpty())
        lines << QString::fromUtf8(line).trimmed();
    return lines;
}

QString stripBom(const QString& text) {
    return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
}

QByteArray head(const QByteArray& body) {
    QByteArray start = body.left(512);
    start.replace('\0', ' ');
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    return start.trimmed().toLower();
}

QString decodeXmlEntities(QString text) {
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&apos;", "'");
    return text.replace("&amp;", "&");
}

class EntryList {
public:
    EntryList(const QUrl& base, bool relativeAllowed)
        : base_(base), relativeAllowed_(relativeAllowed), localBase_(base.isLocalFile()) {}

    // False when the text is not a usable entry (the cap on entries is not a refusal).
    bool add(QString text, const QString& title = {}) {
        const bool ok = accept(text.trimmed(), title);
        if (!ok)
            ++read_.refused;
        return ok;
    }
    // An entry the playlist names without giving it an address.
    void refuse() { ++read_.refused; }
    Read take() { return std::move(read_); }

private:
    bool accept(const QString& text, const QString& title) {
        if (read_.entries.size() >= maxEntries)
            return true;
        if (text.isEmpty() || text.size() > maxEntryLength)
            return false;
        QUrl url(text, QUrl::StrictMode);
        if (!url.isValid())
            return false;
        if (url.isRelative()) {
            if (!relativeAllowed_ || base_.isEmpty())
                return false;
            url = base_.resolved(url);
        }
        QString scheme = url.scheme().toLower();
        if (scheme == "icy" || scheme == "icyx") {
            url.setScheme("http");
            scheme = "http";
        }
        const bool ok =
            isNetworkScheme(scheme) ? !url.host().isEmpty() : (scheme == "file" && localBase_);
        if (ok)
            read_.entries.push_back({url, title.trimmed().left(maxEntryLength)});
        return ok;
    }

    QUrl base_;
    bool relativeAllowed_;
    bool localBase_;
    Read read_;
};

Read parsePls(const QByteArray& body, const QUrl& base) {
    // FileN= keys in the order of N; entries without a usable number keep file order after.
    static const QRegularExpression key("^(file|title)(\\d{1,6})\\s*=(.*)$",
                                        QRegularExpression::CaseInsensitiveOption);
    std::multimap<int, QString> byNumber;
    std::map<int, QString> titles;
    for (const QString& line : textLines(body)) {
        const auto m = key.match(line);
        if (!m.hasMatch())
            continue;
        const int n = m.captured(2).toInt();
        if (m.captured(1).compare(QLatin1String("file"), Qt::CaseInsensitive) == 0)
            byNumber.emplace(n, m.captured(3));
        else
            titles.emplace(n, m.captured(3));
    }
    EntryList list(base, true);
    for (const auto& [n, text] : byNumber)
        list.add(text, titles.count(n) != 0 ? titles.at(n) : QString());
    for (const auto& [n, title] : titles)
        if (byNumber.count(n) == 0)
            list.refuse();
    return list.take();
}

// The name of an #EXTINF line: what follows the first comma outside quoted attributes.
QString extinfTitle(const QString& line) {
    bool quoted = false;
    for (qsizetype i = 8; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ',' && !quoted)
            return line.mid(i + 1).trimmed();
    }
    return {};
}

// A known M3U keeps the entries it can use; a body of unknown kind counts as a plain list
// only when every line is a usable absolute address.
Read parseM3u(const QByteArray& body, const QUrl& base, bool known) {
    EntryList list(base, known);
    std::optional<QString> title; // from the #EXTINF line before the entry
    for (const QString& raw : textLines(body)) {
        const QString line = stripBom(raw);
        if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
            if (title)
                list.refuse();
            title = extinfTitle(line);
        } else if (line.startsWith('#') || (known && line.isEmpty())) {
            continue;
        } else if (!list.add(line, title.value_or(QString())) && !known) {
            return {};
        } else {
            title.reset();
        }
    }
    if (title)
        list.refuse();
    return list.take();
}

// An entry that may hold several addresses under one title (an XSPF track, an ASX entry),
// given to the list when it ends: each address with the entry's first title, or a refusal
// when it held none. Addresses outside any entry go to the list at once, untitled.
class EntryGroup {
public:
    explicit EntryGroup(EntryList& list) : list_(list) {}
    void open() {
        end();
        open_ = true;
    }
    void end() {
        if (open_ && addresses_.isEmpty())
            list_.refuse();
        for (const QString& address : addresses_)
            list_.add(address, title_);
        open_ = false;
        title_.clear();
        addresses_.clear();
    }
    void title(const QString& title) {
        if (open_ && title_.isEmpty())
            title_ = title;
    }
    void address(const QString& address) {
        if (open_)
            addresses_ << address;
        else
            list_.add(address);
    }

private:
    EntryList& list_;
    bool open_ = false;
    QString title_;
    QStringList addresses_;
};

// Playlists in these XML dialects are often not well-formed (upper-case tags, bare '&',
// elements never closed), so they are read by pattern rather than by an XML parser.

// Every <ref> and <entryref> address in document order, each with the <title> of the
// <entry> it stands in. A title is the text up to the next tag, so that an unclosed
// <title> takes no address with it; the <asx>'s own title names no entry. The addresses
// and the entry and title tags are found apart (one pattern of all three costs several
// times as much on a body of unfinished tags) and taken in document order; a tag inside
// the text of a ref is part of that ref.
Read parseAsx(const QByteArray& body, const QUrl& base) {
    static const QRegularExpression refPattern("<\\s*(?:ref|entryref)\\b[^>]{0,4096}?\\bhref\\s*="
                                               "\\s*(?:\"([^\"]{0,8192})\"|'([^']{0,8192})')",
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tagPattern(
        "<\\s*(?<close>/?)\\s*entry\\b(?<attributes>[^<>]{0,4096})>|<\\s*title\\s*>(?<title>[^<]*)",
        QRegularExpression::CaseInsensitiveOption);
    QByteArray clean = body;
    clean.replace('\0', ' ');
    const QString text = QString::fromUtf8(clean);

    struct Ref {
        qsizetype start;
        qsizetype end;
        QString address;
    };
    std::vector<Ref> refs;
    for (auto it = refPattern.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        refs.push_back({m.capturedStart(), m.capturedEnd(),
                        decodeXmlEntities(m.captured(1).isNull() ? m.captured(2) : m.captured(1))});
    }

    EntryList list(base, true);
    EntryGroup entry(list);
    std::size_t next = 0;
    qsizetype refsEnd = 0;
    const auto takeRefsBefore = [&](qsizetype position) {
        for (; next < refs.size() && refs[next].start < position; ++next) {
            refsEnd = refs[next].end;
            entry.address(refs[next].address);
        }
    };
    for (auto it = tagPattern.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        takeRefsBefore(m.capturedStart());
        if (m.capturedStart() < refsEnd)
            continue;
        if (m.hasCaptured(u"attributes")) { // <entry>, </entry> or <entry/>
            if (!m.captured(u"close").isEmpty())
                entry.end();
            else
                entry.open();
            if (m.captured(u"attributes").trimmed().endsWith('/'))
                entry.end();
        } else {
            entry.title(decodeXmlEntities(m.captured(u"title")).trimmed());
        }
    }
    takeRefsBefore(text.size());
    entry.end();
    return list.take();
}

// Every <location> in document order, each with the <title> of the track it stands in.
Read parseXspf(const QByteArray& body, const QUrl& base) {
    static const QRegularExpression token("<\\s*(/?)\\s*track\\b[^>]{0,4096}>"
                                          "|<\\s*(location|title)\\s*>\\s*(?:<!\\[CDATA\\[([^\\]]{"
                                          "0,8192})\\]\\]>|([^<]{0,8192}))\\s*<",
                                          QRegularExpression::CaseInsensitiveOption);
    QByteArray clean = body;
    clean.replace('\0', ' ');
    const QString text = QString::fromUtf8(clean);
    EntryList list(base, true);
    EntryGroup track(list);
    auto it = token.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString value =
            decodeXmlEntities(m.captured(3).isNull() ? m.captured(4) : m.captured(3));
        if (m.captured(2).isNull()) { // <track> or </track>
            if (m.captured(1).isEmpty())
                track.open();
            else
                track.end();
        } else if (m.captured(2).compare(QLatin1String("title"), Qt::CaseInsensitive) == 0) {
            track.title(value);
        } else {
            track.address(value);
        }
    }
    track.end();
    return list.take();
}

} // namespace

Address resolveAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {{}, QStringLiteral("No address to play")};
    if (trimmed.startsWith('/')) {
        // An absolute local path. "//host/share" would name a network host, not a file.
        const QUrl file = QUrl::fromLocalFile(trimmed);
        if (trimmed.startsWith(QLatin1String("//")) || !file.isValid() || !file.host().isEmpty())
            return {{}, QStringLiteral("Not a valid stream address")};
        return {file, {}};
    }
    QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || scheme.isEmpty() || scheme.size() == 1) // "c:" is a drive letter
        return {{}, QStringLiteral("Not a valid stream address")};
    if (scheme == "icy" || scheme == "icyx")
        url.setScheme("http");
    else if (scheme == "file") {
        if (url.toLocalFile().isEmpty())
            return {{}, QStringLiteral("Not a valid stream address")};
        return {url, {}};
    } else if (!isNetworkScheme(scheme))
        return {{}, QStringLiteral("Unsupported address type \"%1\"").arg(scheme.left(20))};
    if (url.host().isEmpty())
        return {{}, QStringLiteral("Not a valid stream address")};
    return {url, {}};
}

Kind kindFromName(const QUrl& url) {
    const QString name = url.path().section('/', -1).toLower();
    if (name.endsWith(".pls"))
        return Kind::Pls;
    if (name.endsWith(".m3u"))
        return Kind::M3u;
    if (name.endsWith(".asx") || name.endsWith(".wax") || name.endsWith(".wvx"))
        return Kind::Asx;
    if (name.endsWith(".xspf"))
        return Kind::Xspf;
    return Kind::None;
}

Kind kindFromContentType(const QString& contentType) {
    const QString type = contentType.section(';', 0, 0).trimmed().toLower();
    if (type == "audio/x-scpls" || type == "audio/scpls" || type == "application/pls+xml" ||
        type == "application/pls")
        return Kind::Pls;
    if (type == "audio/x-mpegurl" || type == "audio/mpegurl" || type == "application/x-mpegurl" ||
        type == "application/vnd.apple.mpegurl")
        return Kind::M3u;
    if (type == "video/x-ms-asf" || type == "video/x-ms-asx" || type == "audio/x-ms-wax" ||
        type == "video/x-ms-wvx" || type == "audio/x-ms-asx")
        return Kind::Asx;
    if (type == "application/xspf+xml")
        return Kind::Xspf;
    return Kind::None;
}

Kind kindFromContent(const QByteArray& body) {
    const QByteArray start = head(body);
    if (start.startsWith("[playlist]"))
        return Kind::Pls;
    if (start.startsWith("#extm3u"))
        return Kind::M3u;
    if (start.startsWith("<asx") || (start.startsWith("<?xml") && start.contains("<asx")))
        return Kind::Asx;
    if (start.contains("<playlist") && start.contains("xspf"))
        return Kind::Xspf;
    return Kind::None;
}

bool isHls(const QByteArray& body) {
    return head(body).startsWith("#extm3u") &&
           (body.contains("#EXT-X-TARGETDURATION") || body.contains("#EXT-X-STREAM-INF") ||
            body.contains("#EXT-X-MEDIA-SEQUENCE"));
}

Read readPlaylist(const QByteArray& body, const QString& contentType, const QUrl& base) {
    const QByteArray capped = body.left(maxBodyBytes);
    const QString type = contentType.section(';', 0, 0).trimmed().toLower();
    if (type == "text/html" || type == "application/xhtml+xml")
        return {};
    Kind kind = kindFromContentType(contentType);
    if (kind == Kind::None)
        kind = kindFromContent(capped);
    if (kind == Kind::None)
        kind = kindFromName(base);
    switch (kind) {
    case Kind::Pls:
        return parsePls(capped, base);
    case Kind::M3u:
        return parseM3u(capped, base, true);
    case Kind::Asx:
        return parseAsx(capped, base);
    case Kind::Xspf:
        return parseXspf(capped, base);
    case Kind::None:
        break;
    }
    return parseM3u(capped, base, false);
}

std::vector<QUrl> parsePlaylist(const QByteArray& body, const QString& contentType,
                                const QUrl& base) {
    std::vector<QUrl> urls;
    for (Entry& entry : readPlaylist(body, contentType, base).entries)
        urls.push_back(std::move(entry.url));
    return urls;
}

} // namespace playlists
