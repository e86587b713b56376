#include "platform/gst/playlist_fetch.h"

#include "playlists/playlist.h"

#include <utility>

namespace platform {

namespace {

using net::HttpFetch;

HttpFetch::Options endingAtAudio(HttpFetch::Options options) {
    // Playlist types are audio/ too (audio/x-scpls, audio/x-mpegurl): those are read.
    options.endAtHead = [](const QString& type) {
        return (type.startsWith(QLatin1String("audio/")) ||
                type.startsWith(QLatin1String("application/ogg"))) &&
               playlists::kindFromContentType(type) == playlists::Kind::None;
    };
    return options;
}

HttpFetch::Done inPlayerWords(HttpFetch::Done done) {
    return [done = std::move(done)](const HttpFetch::Result& result) {
        if (result.failure != HttpFetch::Failure::TooLarge) {
            done(result);
            return;
        }
        HttpFetch::Result worded = result;
        worded.why = QStringLiteral("Not an audio stream");
        done(worded);
    };
}

} // namespace

PlaylistFetch::PlaylistFetch(const QUrl& url, Options options, Done done, QObject* parent)
    : HttpFetch(url, endingAtAudio(std::move(options)), inPlayerWords(std::move(done)), parent) {}

} // namespace platform
