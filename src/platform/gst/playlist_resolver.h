#pragma once

#include "platform/gst/failure_classifier.h"
#include "platform/gst/playlist_fetch.h"

#include <QPointer>
#include <QUrl>
#include <deque>
#include <functional>

namespace platform {

class TlsTrust;

// One address to try, with how many playlists led to it.
struct StreamEntry {
    QUrl url;
    int depth = 0;
    bool fetched = false; // its body was already read as a possible playlist
};

// Turns one address into the stream entries to try, in order: playlists (.pls, .m3u, .asx,
// .xspf, or any address whose body turns out to be one) are read with the bounded fetch,
// nested up to a depth, and their entries tried first to last. Nested playlists multiply,
// so one address leads to at most a fixed number of fetches and streams.
class PlaylistResolver {
public:
    struct Callbacks {
        std::function<void(const StreamEntry&)> play; // give this entry to the pipeline
        std::function<void(const Failure&)> fail;     // this entry will not play
        std::function<void(const QString& host)> fetching;
        std::function<void()> exhausted; // nothing is left to try
        std::function<bool()> everPlayed;
    };

    // owner: parent of the fetches; trust: the certificates HTTPS fetches accept. Both
    // outlive this.
    PlaylistResolver(QObject* owner, const TlsTrust& trust, Callbacks callbacks);
    PlaylistResolver(const PlaylistResolver&) = delete;
    PlaylistResolver& operator=(const PlaylistResolver&) = delete;
    ~PlaylistResolver();

    // A new address: it alone is left to try. next() starts it.
    void begin(const QUrl& url);
    // The next entry to try, or exhausted().
    void next();
    // Reads the entry with the player's own fetch, as a playlist or a stream.
    void fetch(const StreamEntry& entry);
    // Nothing left to try, and the fetch in progress closed; its answer never arrives.
    void clear();

    bool fetching() const { return fetch_ != nullptr; }
    // The entry being fetched, or the last one given to the pipeline.
    const StreamEntry& current() const { return current_; }

private:
    void onFetched(const PlaylistFetch::Result& result, const StreamEntry& entry);
    void onBody(const QByteArray& body, const QString& contentType, const StreamEntry& entry);
    void play(const StreamEntry& entry);
    void fail(QString why, bool transient = false);

    QObject* owner_;
    const TlsTrust& trust_;
    Callbacks callbacks_;
    std::deque<StreamEntry> pending_;
    StreamEntry current_;
    int triesLeft_ = 0;
    QPointer<PlaylistFetch> fetch_;
    unsigned generation_ = 0; // bumped by clear(); answers of older fetches are dropped
};

} // namespace platform
