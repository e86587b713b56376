#pragma once

// The player's fetch of playlists and of addresses whose body may be one: the program's
// bounded HTTP fetch, ending at the headers when they say audio (the address is then the
// stream itself, for the pipeline to open).

#include "net/http_fetch.h"

namespace platform {

class PlaylistFetch final : public net::HttpFetch {
public:
    // The outcomes in the player's words: Audio is the stream's headers, nothing read.
    struct Outcome {
        static constexpr HttpFetch::Outcome Body = HttpFetch::Outcome::Body;
        static constexpr HttpFetch::Outcome Audio = HttpFetch::Outcome::Head;
        static constexpr HttpFetch::Outcome Failed = HttpFetch::Outcome::Failed;
    };

    // As net::HttpFetch; options.endAtHead is the player's own. A body over
    // options.maxBodyBytes fails as "Not an audio stream": nothing larger is a playlist.
    PlaylistFetch(const QUrl& url, Options options, Done done, QObject* parent = nullptr);
};

} // namespace platform
