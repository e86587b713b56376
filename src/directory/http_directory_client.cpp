#include "directory/http_directory_client.h"

#include <QDnsLookup>
#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace directory {

namespace {

constexpr int kMaxRedirects = 3;
// The click call's answer is a few hundred bytes; anything much larger is not read.
constexpr qint64 kMaxClickAnswerBytes = 64 * 1024;

QString baseWithoutSlash(QString base) {
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

// The caller's own deadline covers the whole exchange, so the request has no timeout of its
// own that could end it first with a vaguer reason.
QNetworkRequest makeRequest(const QUrl& url, const QString& userAgent) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    request.setRawHeader("Accept", "application/json");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    return request;
}

void shuffle(QStringList& list) {
    std::shuffle(list.begin(), list.end(), *QRandomGenerator::global());
}

} // namespace

HttpDirectoryClient::HttpDirectoryClient(ServerFinder findServers, QString userAgent, Limits limits)
    : findServers_(std::move(findServers)), userAgent_(std::move(userAgent)), limits_(limits) {}

HttpDirectoryClient::~HttpDirectoryClient() {
    done_ = nullptr;
    dropReply();
}

ServerFinder HttpDirectoryClient::fixedServers(QStringList baseAddresses) {
    return
        [list = std::move(baseAddresses)](std::function<void(QStringList)> found) { found(list); };
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
    return [](std::function<void(QStringList)> found) {
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
    dropReply();
}

void HttpDirectoryClient::dropReply() {
    if (deadline_ != nullptr)
        deadline_->stop();
    if (reply_ != nullptr) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    body_.clear();
    body_.squeeze();
}

void HttpDirectoryClient::finish(const SearchAnswer& answer) {
    dropReply();
    Done done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(answer);
}

void HttpDirectoryClient::tryServer(int index) {
    dropReply();
    if (index >= servers_.size()) {
        finish(
            {{}, false, tr("No directory server gave an answer. %1").arg(lastFailure_).trimmed()});
        return;
    }
    serverIndex_ = index;
    if (!network_)
        network_ = std::make_unique<QNetworkAccessManager>();
    if (deadline_ == nullptr) {
        deadline_ = new QTimer(this);
        deadline_->setSingleShot(true);
    }

    const QString base = servers_[index];
    QUrl url(base + QStringLiteral("/json/stations/search"));
    url.setQuery(searchParameters(query_));
    QNetworkReply* reply = network_->get(makeRequest(url, userAgent_));
    reply_ = reply;

    const auto failOver = [this, index, base](const QString& why) {
        lastFailure_ = tr("The last one tried (%1) %2").arg(QUrl(base).host(), why);
        tryServer(index + 1);
    };
    disconnect(deadline_, nullptr, this, nullptr);
    connect(deadline_, &QTimer::timeout, this,
            [failOver] { failOver(tr("took too long to answer.")); });
    deadline_->start(limits_.perServerMs);

    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply, failOver] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits_.maxBodyBytes)
            failOver(tr("sent an answer too large to read (%1 bytes).").arg(length.toLongLong()));
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, failOver] {
        const qint64 room = limits_.maxBodyBytes - body_.size();
        body_ += reply->read(std::max<qint64>(room, 0) + 1);
        if (body_.size() > limits_.maxBodyBytes)
            failOver(tr("sent an answer too large to read (over %1 MiB).")
                         .arg(limits_.maxBodyBytes / (1024 * 1024)));
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, index, failOver] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError && (status < 200 || status > 299)) {
            if (status > 0)
                failOver(tr("answered %1 %2.")
                             .arg(status)
                             .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute)
                                      .toString()
                                      .left(80)));
            else
                failOver(tr("could not be reached: %1").arg(reply->errorString().left(200)));
            return;
        }
        if (status < 200 || status > 299) {
            failOver(tr("answered %1.").arg(status));
            return;
        }
        body_ += reply->read(std::max<qint64>(limits_.maxBodyBytes - body_.size(), 0) + 1);
        if (body_.size() > limits_.maxBodyBytes) {
            failOver(tr("sent an answer too large to read."));
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            failOver(tr("broke off its answer: %1").arg(reply->errorString().left(200)));
            return;
        }
        SearchAnswer answer;
        answer.stations = readStations(body_, &answer.more, &answer.error);
        if (!answer.error.isEmpty()) {
            failOver(answer.error.left(300));
            return;
        }
        // The server that answered is asked first next time.
        if (index > 0)
            servers_.move(index, 0);
        finish(answer);
    });
}

void HttpDirectoryClient::countClick(const QString& stationUuid) {
    static const QRegularExpression uuidShape(QStringLiteral("^[0-9A-Fa-f-]{1,64}$"));
    if (!uuidShape.match(stationUuid).hasMatch())
        return;
    withServers([this, uuid = stationUuid] {
        if (servers_.isEmpty())
            return;
        if (!network_)
            network_ = std::make_unique<QNetworkAccessManager>();
        const QUrl url(servers_.first() + QStringLiteral("/json/url/") + uuid);
        QNetworkReply* reply = network_->get(makeRequest(url, userAgent_));
        auto received = std::make_shared<qint64>(0);
        connect(reply, &QNetworkReply::readyRead, reply, [reply, received] {
            *received += reply->readAll().size();
            if (*received > kMaxClickAnswerBytes)
                reply->abort();
        });
        connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
        QTimer::singleShot(limits_.perServerMs, reply, [reply] { reply->abort(); });
    });
}

} // namespace directory
