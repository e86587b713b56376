// The korvant_playlists module: the playlist fetcher over Qt Network.
#include "playlists/playlists_module.h"
#include "playlists/http_playlist_fetcher.h"

extern "C" Q_DECL_EXPORT playlists::Fetcher*
korvant_playlists_create_fetcher(const char* userAgent) {
    return new playlists::HttpPlaylistFetcher(QByteArray(userAgent));
}
