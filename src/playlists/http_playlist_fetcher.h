#pragma once

#include "net/http_fetch.h"
#include "playlists/playlist_fetcher.h"

#include <memory>

namespace playlists {

// A Fetcher over the program's bounded HTTP fetch. An answer whose headers say it is
// audio ends the fetch there: the address is a stream, not a playlist.
class HttpPlaylistFetcher final : public Fetcher {
public:
    explicit HttpPlaylistFetcher(QByteArray userAgent);
    ~HttpPlaylistFetcher() override;

    void fetch(const QUrl& url, Done done) override;
    void cancel() override;

private:
    QByteArray userAgent_;
    std::unique_ptr<net::HttpFetch> fetch_;
};

} // namespace playlists
