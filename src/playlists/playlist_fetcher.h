#pragma once

// Fetching a playlist from a web address, for the parts of the program that link no Qt
// Network: they hold a Fetcher made by a FetcherMaker, which the program backs with the
// korvant_playlists module (playlist_fetcher_loader.h), loaded at the first fetch.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

namespace playlists {

// How long one fetch may take, redirects included.
inline constexpr int fetchDeadlineMs = 15000;

// What a fetch gave: the body and its type, or why there is none (a plain sentence).
struct Fetched {
    QByteArray body;
    QString contentType;
    QUrl url; // where the body came from, after redirects
    QString error;
};

class Fetcher {
public:
    using Done = std::function<void(const Fetched&)>;
    virtual ~Fetcher() = default;
    // Starts fetching an http or https address at once: at most maxBodyBytes of body,
    // within fetchDeadlineMs. `done` is called exactly once, later, on the GUI thread,
    // unless the fetch is cancelled or the fetcher deleted first. A new fetch cancels the
    // one before it.
    virtual void fetch(const QUrl& url, Done done) = 0;
    virtual void cancel() = 0;
};

// Makes a fetcher, or returns null and says why in *error.
using FetcherMaker = std::function<std::unique_ptr<Fetcher>(QString* error)>;

} // namespace playlists
