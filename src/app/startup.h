#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace links {
class Links;
}
namespace platform {
class MediaPlayer;
class MessageBox;
} // namespace platform

namespace app {

struct MainWindowControls;

// What start-up works on: the window's controls, the links menu, the player and the data
// folder (ending with a slash). `sendToTray` is the window's "send to tray" handler.
struct StartupParts {
    MainWindowControls& controls;
    links::Links& links;
    platform::MediaPlayer& player;
    const QString& dataFolder;
    std::function<void()> sendToTray;
};

// Start-up's steps, in order: the banner, the links menu's captions, the favourites and
// the start-up options are read from the data folder into the controls; the options then
// send the window to the tray and play the default favourite as they say. A file that
// cannot be read leaves its controls as they were built. Returns one line per file that
// could not be read, saying why; none when all were read or missing.
QStringList loadDataFilesAndApplyOptions(const StartupParts& parts);

// The one message about unreadable data files, shown once the window is up: the message
// waits for the user, the window does not. Nothing is shown for an empty list.
void reportUnreadableFilesLater(QWidget* window, platform::MessageBox& messages,
                                const QStringList& unreadable);

} // namespace app
