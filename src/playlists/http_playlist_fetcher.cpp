#include "playlists/http_playlist_fetcher.h"

#include "playlists/playlist.h"

#include <utility>

namespace playlists {

namespace {

using net::HttpFetch;

Fetched inWords(const HttpFetch::Result& result) {
    Fetched fetched;
    fetched.url = result.url;
    switch (result.outcome) {
    case HttpFetch::Outcome::Body:
        if (result.truncated) {
            fetched.error = QStringLiteral("The answer was cut short.");
            break;
        }
        fetched.body = result.body;
        fetched.contentType = result.contentType;
        break;
    case HttpFetch::Outcome::Head:
        fetched.error = QStringLiteral("The address is a stream, not a playlist.");
        break;
    case HttpFetch::Outcome::Failed:
        if (result.failure == HttpFetch::Failure::TooLarge)
            fetched.error = QStringLiteral("It is larger than a playlist can be (over %1 KiB).")
                                .arg(maxBodyBytes / 1024);
        else if (result.why.isEmpty()) // a refusal: the status and the server's words
            fetched.error = QStringLiteral("The server answered HTTP error %1 (%2).")
                                .arg(result.httpStatus)
                                .arg(QString::fromLatin1(result.httpReason).trimmed());
        else
            fetched.error = result.why + QLatin1Char('.');
        break;
    }
    return fetched;
}

} // namespace

HttpPlaylistFetcher::HttpPlaylistFetcher(QByteArray userAgent) : userAgent_(std::move(userAgent)) {}

HttpPlaylistFetcher::~HttpPlaylistFetcher() = default;

void HttpPlaylistFetcher::fetch(const QUrl& url, Done done) {
    cancel();
    HttpFetch::Options options;
    options.userAgent = userAgent_;
    options.accept = "audio/x-mpegurl, audio/x-scpls, application/xspf+xml, */*;q=0.5";
    options.maxBodyBytes = maxBodyBytes;
    options.deadlineMs = fetchDeadlineMs;
    // Playlist types are audio/ too (audio/x-scpls, audio/x-mpegurl): those are read.
    options.endAtHead = [](const QString& type) {
        return (type.startsWith(QLatin1String("audio/")) ||
                type.startsWith(QLatin1String("application/ogg"))) &&
               kindFromContentType(type) == Kind::None;
    };
    fetch_ = std::make_unique<HttpFetch>(
        url, std::move(options), [this, done = std::move(done)](const HttpFetch::Result& result) {
            const Fetched fetched = inWords(result);
            // The fetch is done with; it may be deleted from inside its own report.
            fetch_.release()->deleteLater();
            done(fetched);
        });
}

void HttpPlaylistFetcher::cancel() {
    fetch_.reset();
}

} // namespace playlists
