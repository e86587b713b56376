#pragma once

#include "desktop/now_playing.h"

#include <QObject>
#include <functional>
#include <memory>

class QAction;
class QMenu;

namespace desktop {

class MprisService;
class Notifier;

// The program's presence on the desktop: the media-player interface on the session bus,
// now-playing notifications and the menu entry that turns them on and off.
//
// Making it costs no bus traffic; joinBus() joins the session bus, and is meant to run once
// the window is on screen. Without a session bus (a bare X session, a dead address) joinBus()
// does nothing and says nothing: the program runs as it would without a desktop.
class DesktopSession : public QObject {
    Q_OBJECT
public:
    struct Setup {
        platform::MediaPlayer& player;
        ProgramHooks hooks;
        QString dataFolder;   // ends with a slash; holds the options file
        QString iconResource; // the program icon, shown beside the track and notifications
        // Tells the user an options file could not be saved (its name and why).
        std::function<void(const QString& fileName, const QString& why)> reportSaveFailure;
    };

    explicit DesktopSession(Setup setup, QObject* parent = nullptr);
    ~DesktopSession() override;

    // A checkable entry "Now-Playing Notifications" inserted into `menu` before `before`
    // (or at its end); it shows and changes the saved option.
    QAction* addNotificationsEntry(QMenu* menu, QAction* before = nullptr);

    // Joins the session bus. Returns the media-player bus name taken, or empty when there is
    // no bus or the name could not be had (the program carries on either way).
    QString joinBus();

    NowPlaying& nowPlaying() { return *model_; }

private:
    void setNotifications(bool on);

    Setup setup_;
    bool notifications_ = true;
    std::unique_ptr<NowPlaying> model_;
    std::unique_ptr<MprisService> mpris_;
    std::unique_ptr<Notifier> notifier_;
    QAction* entry_ = nullptr;
};

// Writes the icon in `resource` to the user's cache folder (once) and returns the file's
// path, or empty when it could not be written.
QString programIconFile(const QString& resource);

} // namespace desktop
