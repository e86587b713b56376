#pragma once

// What the desktop's media widgets are told about the player, and what they may ask of it,
// without any D-Bus: the bus adaptors and the notifier only carry what this decides.

#include "platform/media_player.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace desktop {

// The media-player protocol's playback status for a player state: "Playing" while the
// player connects, buffers, reconnects or plays (it is on its way to sound), "Paused",
// and "Stopped" for everything else (nothing chosen, stopped, ended, failed).
QString playbackStatus(int playState);

// The protocol's volume (0.0 to 1.0) for the player's 0..100, and back (rounded, clamped).
double volumeToDesktop(int volume);
int volumeFromDesktop(double volume);

// The slot to play after (step +1) or before (step -1) `current` among the favourites
// that have an address, in slot order, wrapping. `current` is -1 when what plays is not a
// favourite: the first (or, going back, the last) slot with an address is the answer.
// -1 when no slot has an address.
int stepStation(const QStringList& urls, int current, int step);

// The one place where a title from a stream enters what the desktop shows: control
// characters and bidirectional overrides are dropped and the length is capped.
QString cleanedTitle(const QString& remote);

// What the program offers the desktop, as its own controls do it. The program fills these
// in; each is called on the GUI thread. One left empty means the program has no such thing.
struct ProgramHooks {
    std::function<QStringList()> stationNames; // the ten favourites' names, slot order
    std::function<QStringList()> stationUrls;  // their addresses, slot order
    std::function<void(int slot)> playStation; // as the tray's station entry for the slot
    // The name of a station that is not a favourite (the start-up favourite); may be empty.
    std::function<QString(const QString& url)> otherStationName;
    std::function<void()> raise;        // as the tray's "Open"
    std::function<void()> quit;         // as the tray's "Exit"
    std::function<bool()> hiddenInTray; // the window is in the tray, not on screen
};

// The player as the desktop sees it. It follows the player's changed() and reports what
// changed, by the protocol's property names; its operations are the player's own.
class NowPlaying : public QObject {
    Q_OBJECT
public:
    // artUrl: a file:// address of the program's icon, or empty.
    NowPlaying(platform::MediaPlayer& player, ProgramHooks hooks, QString artUrl,
               QObject* parent = nullptr);

    QString playbackStatus() const { return status_; }
    // mpris:trackid (an object path), xesam:title, xesam:artist (a list), xesam:url and
    // mpris:artUrl; only the track id when nothing has been chosen.
    QVariantMap metadata() const { return metadata_; }
    double volume() const { return volume_; }
    // The station playing now: its favourite's name, or empty when it is not a favourite.
    QString stationName() const { return station_; }
    // The cleaned now-playing title, or empty.
    QString title() const { return title_; }

    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void setVolume(double volume);
    void raise();
    void quit();
    bool hiddenInTray() const;

    // Reads the player again and reports what differs from the last reading.
    void refresh();

signals:
    // The Player interface's properties that changed, with their new values.
    void propertiesChanged(const QVariantMap& changed);
    // The stream announced a new, non-empty title (after cleaning) for `station`.
    void titleChanged(const QString& title, const QString& station);

private:
    QStringList slotUrls() const;
    int currentSlot() const;
    void step(int direction);

    platform::MediaPlayer& player_;
    ProgramHooks hooks_;
    QString artUrl_;
    QString status_;
    QVariantMap metadata_;
    double volume_ = -1;
    QString url_;
    QString station_;
    QString title_;
    int lastSlot_ = -1;  // the slot last played from here, to tell apart equal addresses
    unsigned track_ = 0; // bumped for every new address: the track id changes with it
};

} // namespace desktop
