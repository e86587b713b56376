#include "desktop/now_playing.h"

#include "common/remote_text.h"

#include <QDBusObjectPath>
#include <algorithm>
#include <cmath>

namespace desktop {

namespace {

constexpr int kMaxTitleLength = 256;
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

} // namespace

QString playbackStatus(int playState) {
    switch (playState) {
    case platform::psPlaying:
    case platform::psBuffering:
    case platform::psWaiting:
    case platform::psTransitioning:
    case platform::psReconnecting:
    case platform::psScanForward:
    case platform::psScanReverse:
        return QStringLiteral("Playing");
    case platform::psPaused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

double volumeToDesktop(int volume) {
    return std::clamp(volume, 0, 100) / 100.0;
}

int volumeFromDesktop(double volume) {
    if (std::isnan(volume))
        return 0;
    return static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0));
}

int stepStation(const QStringList& urls, int current, int step) {
    const int n = static_cast<int>(urls.size());
    if (n == 0)
        return -1;
    int at = current;
    if (at < 0 || at >= n)
        at = step > 0 ? -1 : n; // so that the first step lands on the first or last slot
    for (int i = 0; i < n; ++i) {
        at = ((at + step) % n + n) % n;
        if (!urls[at].trimmed().isEmpty())
            return at;
    }
    return -1;
}

QString cleanedTitle(const QString& remote) {
    return common::cleanRemoteText(remote, kMaxTitleLength).simplified();
}

NowPlaying::NowPlaying(platform::MediaPlayer& player, ProgramHooks hooks, QString artUrl,
                       QObject* parent)
    : QObject(parent), player_(player), hooks_(std::move(hooks)), artUrl_(std::move(artUrl)) {
    connect(&player_, &platform::MediaPlayer::changed, this, &NowPlaying::refresh);
    refresh();
}

QStringList NowPlaying::slotUrls() const {
    return hooks_.stationUrls ? hooks_.stationUrls() : QStringList();
}

int NowPlaying::currentSlot() const {
    const QString url = player_.URL();
    if (url.isEmpty())
        return -1;
    const QStringList urls = slotUrls();
    if (lastSlot_ >= 0 && lastSlot_ < urls.size() && urls[lastSlot_] == url)
        return lastSlot_;
    return static_cast<int>(urls.indexOf(url));
}

void NowPlaying::refresh() {
    QVariantMap changed;

    const QString status = desktop::playbackStatus(player_.playState());
    if (status != status_) {
        status_ = status;
        changed.insert(QStringLiteral("PlaybackStatus"), status_);
    }

    const double volume = volumeToDesktop(player_.settings().volume());
    if (volume != volume_) {
        volume_ = volume;
        changed.insert(QStringLiteral("Volume"), volume_);
    }

    const QString url = player_.URL();
    const bool newStation = url != url_;
    if (newStation) {
        url_ = url;
        ++track_;
        const int slot = currentSlot();
        const QStringList names = hooks_.stationNames ? hooks_.stationNames() : QStringList();
        if (slot >= 0 && slot < names.size())
            station_ = names[slot];
        else if (hooks_.otherStationName && !url.isEmpty())
            station_ = hooks_.otherStationName(url);
        else
            station_.clear();
    }
    // A new station starts with no title, whatever the player still says.
    const QString title = newStation ? QString() : cleanedTitle(player_.title());
    const bool newTitle = title != title_;
    title_ = title;

    if (newStation || newTitle || metadata_.isEmpty()) {
        QVariantMap m;
        if (url_.isEmpty()) {
            m.insert(QStringLiteral("mpris:trackid"),
                     QVariant::fromValue(QDBusObjectPath(kNoTrack)));
        } else {
            m.insert(QStringLiteral("mpris:trackid"),
                     QVariant::fromValue(QDBusObjectPath(
                         QStringLiteral("/org/korvant/KorvantLite/station/%1").arg(track_))));
            QString shown = !title_.isEmpty() ? title_ : station_;
            if (shown.isEmpty())
                shown = url_;
            m.insert(QStringLiteral("xesam:title"), shown);
            if (!station_.isEmpty())
                m.insert(QStringLiteral("xesam:artist"), QStringList{station_});
            m.insert(QStringLiteral("xesam:url"), url_);
            if (!artUrl_.isEmpty())
                m.insert(QStringLiteral("mpris:artUrl"), artUrl_);
        }
        if (m != metadata_) {
            metadata_ = m;
            changed.insert(QStringLiteral("Metadata"), metadata_);
        }
    }

    if (!changed.isEmpty())
        emit propertiesChanged(changed);
    if (newTitle && !title_.isEmpty())
        emit titleChanged(title_, station_);
}

void NowPlaying::play() {
    if (player_.URL().isEmpty()) {
        next();
        return;
    }
    player_.controls().play();
}

void NowPlaying::pause() {
    if (desktop::playbackStatus(player_.playState()) == QLatin1String("Playing"))
        player_.controls().pause();
}

void NowPlaying::playPause() {
    if (desktop::playbackStatus(player_.playState()) == QLatin1String("Playing"))
        player_.controls().pause();
    else
        play();
}

void NowPlaying::stop() {
    player_.controls().stop();
}

void NowPlaying::next() {
    step(+1);
}

void NowPlaying::previous() {
    step(-1);
}

void NowPlaying::step(int direction) {
    const int slot = stepStation(slotUrls(), currentSlot(), direction);
    if (slot < 0 || !hooks_.playStation)
        return;
    lastSlot_ = slot;
    hooks_.playStation(slot);
}

void NowPlaying::setVolume(double volume) {
    player_.settings().setVolume(volumeFromDesktop(volume));
    // Not every player reports a volume change by itself.
    refresh();
}

void NowPlaying::raise() {
    if (hooks_.raise)
        hooks_.raise();
}

void NowPlaying::quit() {
    if (hooks_.quit)
        hooks_.quit();
}

bool NowPlaying::hiddenInTray() const {
    return hooks_.hiddenInTray && hooks_.hiddenInTray();
}

} // namespace desktop
