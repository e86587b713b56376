#include "directory/http_directory_client.h"

#include <QDnsLookup>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <memory>

namespace directory {

namespace {

constexpr int kMaxRedirects = 3;
// The click call's answer is a few hundred bytes; anything much larger is not read.
constexpr qint64 kMaxClickAnswerBytes = qint64{64} * 1024;

QString baseWithoutSlash(QString base) {
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

// What every request to a directory server shares; HTTPS trusts the system's store.
net::HttpFetch::Options fetchOptions(const QString& userAgent) {
    net::HttpFetch::Options options;
    options.userAgent = userAgent.toUtf8();
    options.accept = "application/json";
    options.maxRedirects = kMaxRedirects;
    options.allowDowngrade = false;
    return options;
}

// A server's own words (its status line's reason), cut short and without control
// characters, for a message.
QString printable(const QByteArray& bytes, qsizetype max) {
    QString out;
    for (const char c : bytes.left(max))
        if (c >= 0x20 && c < 0x7f)
            out += QLatin1Char(c);
    return out.trimmed();
}

void shuffle(QStringList& list) {
    std::shuffle(list.begin(), list.end(), *QRandomGenerator::global());
}

} // namespace

HttpDirectoryClient::HttpDirectoryClient(ServerFinder findServers, QString userAgent, Limits limits)
    : findServers_(std::move(findServers)), userAgent_(std::move(userAgent)), limits_(limits) {}

HttpDirectoryClient::~HttpDirectoryClient() {
    done_ = nullptr;
    dropFetch();
}

ServerFinder HttpDirectoryClient::fixedServers(QStringList baseAddresses) {
    return [list = std::move(baseAddresses)](const std::function<void(QStringList)>& found) {
        found(list);
    };
}

QStringList HttpDirectoryClient::parseServerList(const QString& commaSeparated) {
    QStringList out;
    for (const QString& part : commaSeparated.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString base = baseWithoutSlash(part.trimmed());
        const QUrl url(base, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (url.isValid() && !url.host().isEmpty() &&
            (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
            out << base;
    }
    return out;
}

ServerFinder HttpDirectoryClient::discoverServers() {
    return [](const std::function<void(QStringList)>& found) {
        auto* srv = new QDnsLookup(QDnsLookup::SRV, QStringLiteral("_api._tcp.radio-browser.info"));
        QObject::connect(srv, &QDnsLookup::finished, srv, [srv, found] {
            srv->deleteLater();
            QStringList names;
            if (srv->error() == QDnsLookup::NoError)
                for (const QDnsServiceRecord& r : srv->serviceRecords())
                    names << r.target();
            if (names.isEmpty()) {
                // No SRV answer: the round-robin name's addresses, each turned back into
                // its host name (HTTPS needs the name for the certificate).
                QHostInfo::lookupHost(
                    QStringLiteral("all.api.radio-browser.info"), [found](const QHostInfo& all) {
                        struct Pending {
                            int left = 0;
                            QStringList names;
                            std::function<void(QStringList)> found;
                        };
                        auto pending = std::make_shared<Pending>();
                        pending->found = found;
                        const QList<QHostAddress> addresses = all.addresses();
                        pending->left = int(addresses.size());
                        if (addresses.isEmpty()) {
                            found({});
                            return;
                        }
                        for (const QHostAddress& a : addresses)
                            QHostInfo::lookupHost(a.toString(), [pending](const QHostInfo& r) {
                                if (!r.hostName().isEmpty() && QHostAddress(r.hostName()).isNull())
                                    pending->names << r.hostName();
                                if (--pending->left == 0) {
                                    pending->names.removeDuplicates();
                                    QStringList bases;
                                    for (const QString& n : pending->names)
                                        bases << QStringLiteral("https://") + n;
                                    shuffle(bases);
                                    pending->found(bases);
                                }
                            });
                    });
                return;
            }
            QStringList bases;
            for (QString n : names) {
                while (n.endsWith(QLatin1Char('.')))
                    n.chop(1);
                if (!n.isEmpty())
                    bases << QStringLiteral("https://") + n;
            }
            bases.removeDuplicates();
            shuffle(bases);
            found(bases);
        });
        srv->lookup();
    };
}

void HttpDirectoryClient::withServers(std::function<void()> then) {
    if (found_) {
        then();
        return;
    }
    waiting_.push_back(std::move(then));
    if (finding_)
        return;
    finding_ = true;
    findServers_([self = QPointer<HttpDirectoryClient>(this)](QStringList list) {
        if (!self)
            return;
        self->finding_ = false;
        self->servers_ = std::move(list);
        // Nothing found (no network yet, say): look again at the next search.
        self->found_ = !self->servers_.isEmpty();
        auto waiting = std::move(self->waiting_);
        self->waiting_.clear();
        for (auto& w : waiting)
            w();
    });
}

void HttpDirectoryClient::search(const SearchQuery& query, Done done) {
    cancel();
    const quint64 generation = ++generation_;
    query_ = query;
    done_ = std::move(done);
    lastFailure_.clear();
    withServers([this, generation] {
        if (generation != generation_)
            return;
        if (servers_.isEmpty()) {
            finish({{},
                    false,
                    tr("No directory server could be found. Check the connection "
                       "to the internet and search again.")});
            return;
        }
        tryServer(0);
    });
}

void HttpDirectoryClient::cancel() {
    ++generation_;
    done_ = nullptr;
    dropFetch();
}

void HttpDirectoryClient::dropFetch() {
    if (fetch_ == nullptr)
        return;
    net::HttpFetch* fetch = fetch_;
    fetch_ = nullptr;
    fetch->abort(); // the socket is closed here, not when the object goes
    fetch->deleteLater();
}

void HttpDirectoryClient::finish(const SearchAnswer& answer) {
    dropFetch();
    Done done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(answer);
}

void HttpDirectoryClient::tryServer(int index) {
    dropFetch();
    if (index >= servers_.size()) {
        finish(
            {{}, false, tr("No directory server gave an answer. %1").arg(lastFailure_).trimmed()});
        return;
    }
    serverIndex_ = index;

    const QString base = servers_[index];
    QUrl url(baseWithoutSlash(base) + QStringLiteral("/json/stations/search"));
    url.setQuery(searchParameters(query_));
    net::HttpFetch::Options options = fetchOptions(userAgent_);
    options.maxBodyBytes = limits_.maxBodyBytes;
    options.deadlineMs = limits_.perServerMs;

    const auto failOver = [this, index, base](const QString& why) {
        lastFailure_ = tr("The last one tried (%1) %2").arg(QUrl(base).host(), why);
        tryServer(index + 1);
    };
    fetch_ = new net::HttpFetch(
        url, std::move(options),
        [this, index, failOver](const net::HttpFetch::Result& result) {
            using Failure = net::HttpFetch::Failure;
            if (result.outcome != net::HttpFetch::Outcome::Body) {
                switch (result.failure) {
                case Failure::Timeout:
                    failOver(tr("took too long to answer."));
                    return;
                case Failure::Status: {
                    const QString status = QString::number(result.httpStatus);
                    const QString reason = printable(result.httpReason, 80);
                    failOver(reason.isEmpty() ? tr("answered %1.").arg(status)
                                              : tr("answered %1 %2.").arg(status, reason));
                    return;
                }
                case Failure::TooLarge:
                    failOver(tr("sent an answer too large to read (over %1 MiB).")
                                 .arg(limits_.maxBodyBytes / (qint64{1024} * 1024)));
                    return;
                case Failure::Redirect:
                    failOver(tr("redirected the search nowhere usable: %1.").arg(result.why));
                    return;
                case Failure::HeadersTooLong:
                    failOver(tr("sent headers too long to read."));
                    return;
                default:
                    failOver(tr("could not be reached: %1").arg(result.why.left(200)));
                    return;
                }
            }
            if (result.truncated) {
                failOver(tr("broke off its answer."));
                return;
            }
            SearchAnswer answer;
            answer.stations = readStations(result.body, &answer.more, &answer.error);
            if (!answer.error.isEmpty()) {
                failOver(answer.error.left(300));
                return;
            }
            // The server that answered is asked first next time.
            if (index > 0)
                servers_.move(index, 0);
            finish(answer);
        },
        this);
}

void HttpDirectoryClient::countClick(const QString& stationUuid) {
    static const QRegularExpression uuidShape(QStringLiteral("^[0-9A-Fa-f-]{1,64}$"));
    if (!uuidShape.match(stationUuid).hasMatch())
        return;
    withServers([this, uuid = stationUuid] {
        if (servers_.isEmpty())
            return;
        const QUrl url(baseWithoutSlash(servers_.first()) + QStringLiteral("/json/url/") + uuid);
        net::HttpFetch::Options options = fetchOptions(userAgent_);
        options.maxBodyBytes = kMaxClickAnswerBytes;
        options.deadlineMs = limits_.perServerMs;
        // The answer is not needed; the fetch goes when it ends, or with the client.
        auto self = std::make_shared<QPointer<net::HttpFetch>>();
        *self = new net::HttpFetch(
            url, std::move(options),
            [self](const net::HttpFetch::Result&) {
                if (*self != nullptr)
                    (*self)->deleteLater();
            },
            this);
    });
}

} // namespace directory
