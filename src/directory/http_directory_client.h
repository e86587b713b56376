#pragma once

#include "directory/directory_client.h"
#include "net/http_fetch.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

namespace directory {

// Finds the directory's servers; calls back once with base addresses (may be empty).
using ServerFinder = std::function<void(std::function<void(QStringList)>)>;

// The directory client over HTTP(S), with the program's bounded fetch (the system's trust
// store for HTTPS). Servers are tried in the order the finder gives them; a connection
// error, a timeout, an answer that is not 2xx, headers or a body over the caps or an answer
// that is not the directory's JSON moves on to the next server. A search given up on, by
// a new one or cancel(), has its connection closed at once. Nothing is sent before the
// first search, and the finder runs then, once.
class HttpDirectoryClient final : public QObject, public DirectoryClient {
    Q_OBJECT
public:
    struct Limits {
        qint64 maxBodyBytes = 4 * 1024 * 1024;
        int perServerMs = 8000; // whole exchange with one server, headers to last byte
    };

    HttpDirectoryClient(ServerFinder findServers, QString userAgent, Limits limits);
    ~HttpDirectoryClient() override;

    void search(const SearchQuery& query, Done done) override;
    void cancel() override;
    void countClick(const QString& stationUuid) override;

    // A finder that hands back a fixed list (from the build setting or a test).
    static ServerFinder fixedServers(QStringList baseAddresses);
    // A finder that asks DNS: the SRV record _api._tcp.radio-browser.info, or failing that
    // the host names behind all.api.radio-browser.info; HTTPS by host name, shuffled.
    static ServerFinder discoverServers();
    // Base addresses from a comma-separated list; blanks and anything that is not an
    // absolute http(s) address are left out.
    static QStringList parseServerList(const QString& commaSeparated);

    // The servers in use, in order, once found; for tests.
    QStringList servers() const { return servers_; }

private:
    void withServers(std::function<void()> then);
    void tryServer(int index);
    void finish(const SearchAnswer& answer);
    void dropFetch();

    ServerFinder findServers_;
    QString userAgent_;
    Limits limits_;
    QStringList servers_;
    bool found_ = false;
    bool finding_ = false;
    std::vector<std::function<void()>> waiting_;

    // The search in flight.
    quint64 generation_ = 0;
    SearchQuery query_;
    Done done_;
    QPointer<net::HttpFetch> fetch_;
    QString lastFailure_;
    int serverIndex_ = 0;
};

} // namespace directory
