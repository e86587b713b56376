#include "platform/gst/playlist_resolver.h"
#include "platform/gst/playbin_setup.h"
#include "platform/gst/tls_trust.h"
#include "playlists/playlist.h"

#include <QFile>

namespace platform {

namespace {

constexpr int maxPlaylistDepth = 3;
constexpr int maxTriesPerOpen = 64;
// One fetch, redirects included; the whole address has the player's own budget.
constexpr int fetchTimeoutMs = 10000;

} // namespace

PlaylistResolver::PlaylistResolver(QObject* owner, const TlsTrust& trust, Callbacks callbacks)
    : owner_(owner), trust_(trust), callbacks_(std::move(callbacks)) {}

PlaylistResolver::~PlaylistResolver() {
    clear();
}

void PlaylistResolver::begin(const QUrl& url) {
    triesLeft_ = maxTriesPerOpen;
    pending_.push_back({url, 0, false});
}

void PlaylistResolver::clear() {
    ++generation_;
    pending_.clear();
    if (fetch_ != nullptr) {
        fetch_->abort(); // the socket is closed here, not when the object goes
        fetch_->deleteLater();
        fetch_ = nullptr;
    }
}

void PlaylistResolver::next() {
    if (triesLeft_-- <= 0)
        pending_.clear();
    if (pending_.empty()) {
        callbacks_.exhausted();
        return;
    }
    const StreamEntry entry = pending_.front();
    pending_.pop_front();
    if (playlists::kindFromName(entry.url) != playlists::Kind::None && !entry.fetched)
        fetch(entry);
    else
        play(entry);
}

void PlaylistResolver::play(const StreamEntry& entry) {
    current_ = entry;
    callbacks_.play(entry);
}

void PlaylistResolver::fail(QString why, bool transient) {
    callbacks_.fail({std::move(why), transient});
}

void PlaylistResolver::fetch(const StreamEntry& entry) {
    current_ = entry;
    StreamEntry fetched = entry;
    fetched.fetched = true;
    if (entry.url.isLocalFile()) {
        QFile file(entry.url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("File not found"));
            return;
        }
        const QByteArray body = file.read(playlists::maxBodyBytes + 1);
        if (body.size() > playlists::maxBodyBytes) {
            fail(QStringLiteral("Not an audio stream"));
            return;
        }
        onBody(body, {}, fetched);
        return;
    }
    PlaylistFetch::Options options;
    options.userAgent = userAgent;
    options.maxBodyBytes = playlists::maxBodyBytes;
    options.deadlineMs = fetchTimeoutMs;
    options.ownCertificates = trust_.ownCertificates();
    options.caCertificates = trust_.certificates();
    if (fetch_ != nullptr) {
        fetch_->abort();
        fetch_->deleteLater();
    }
    const unsigned generation = generation_;
    // An address named like a playlist may be the stream itself; it goes to the pipeline as
    // soon as the headers say audio. Anything else larger than a playlist can be is refused.
    auto* job = new PlaylistFetch(
        entry.url, std::move(options),
        [this, generation, fetched](const PlaylistFetch::Result& result) {
            if (fetch_ != nullptr)
                fetch_->deleteLater();
            fetch_ = nullptr;
            if (generation == generation_)
                onFetched(result, fetched);
        },
        owner_);
    fetch_ = job;
    callbacks_.fetching(entry.url.host());
}

void PlaylistResolver::onFetched(const PlaylistFetch::Result& result, const StreamEntry& entry) {
    StreamEntry resolved = entry;
    resolved.url = result.url; // after redirects, for relative entries
    switch (result.outcome) {
    case PlaylistFetch::Outcome::Audio:
        play(resolved);
        return;
    case PlaylistFetch::Outcome::Failed:
        if (result.httpStatus >= 400)
            callbacks_.fail(classifyHttpStatus(result.httpStatus, callbacks_.everPlayed()));
        else
            fail(result.why, result.transient);
        return;
    case PlaylistFetch::Outcome::Body:
        onBody(result.body, result.contentType, resolved);
        return;
    }
}

void PlaylistResolver::onBody(const QByteArray& body, const QString& contentType,
                              const StreamEntry& entry) {
    if (playlists::isHls(body)) {
        play(entry);
        return;
    }
    const std::vector<QUrl> entries = playlists::parsePlaylist(body, contentType, entry.url);
    if (entries.empty()) {
        const bool named = playlists::kindFromName(entry.url) != playlists::Kind::None ||
                           playlists::kindFromContentType(contentType) != playlists::Kind::None;
        fail(named ? QStringLiteral("The playlist has no playable entries")
                   : QStringLiteral("Not an audio stream"));
        return;
    }
    if (entry.depth >= maxPlaylistDepth) {
        fail(QStringLiteral("Too many nested playlists"));
        return;
    }
    // In reverse, so that the first entry ends up first; clang-tidy's parser cannot read
    // the standard library's reversed view, so the iterators are spelled out.
    // NOLINTNEXTLINE(modernize-loop-convert)
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        pending_.push_front({*it, entry.depth + 1, false});
    next();
}

} // namespace platform
