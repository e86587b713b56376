// Korvant Lite: builds the real platform pieces and hands them to the main window.

#include "app/desktop_hooks.h"
#include "app/frm_tanro.h"
#include "common/application_id.h"
#include "common/data_folder.h"
#include "desktop/desktop_session.h"
#include "directory/directory_loader.h"
#include "favourites/playlist_chooser.h"
#include "platform/gst/lazy_media_player.h"
#include "platform/qt_folder_chooser.h"
#include "platform/qt_message_box.h"
#include "platform/tray/qt_notify_area.h"
#include "platform/web/lazy_web_browser.h"
#include "platform/web/qt_shell.h"
#include "playlists/playlist_fetcher_loader.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTimer>

#ifndef KORVANT_COMMUNITY_HOST
#error "KORVANT_COMMUNITY_HOST must be set by the build"
#endif
#ifndef KORVANT_DIRECTORY_SERVERS
#error "KORVANT_DIRECTORY_SERVERS must be set by the build (empty for DNS discovery)"
#endif

int main(int argc, char** argv) {
    // No shared OpenGL context here: making one at start-up loads the whole GL driver
    // (tens of MiB) for a browser that may never be opened. The browser's loader makes
    // it just before the web engine arrives.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvant Lite"));
    // The launcher's name: the window's application id under Wayland. On X11 the window's
    // class is the application name above, which the launcher's StartupWMClass matches.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(common::kApplicationId));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/korvant.png")));

    platform::LazyMediaPlayer player(platform::LazyMediaPlayer::fromModule());
    platform::QtNotifyArea notifyArea;
    platform::QtShell shell;
    platform::LazyWebBrowserFactory browsers;
    platform::QtMessageBox messages;
    favourites::QtPlaylistChooser playlistFiles;
    platform::QtFolderChooser folders;

    // The player outlives the window: its end, at the program's, ends a recording under way
    // with what was written kept.
    app::frmTANRO window({player, notifyArea, shell, browsers, messages, folders,
                          common::dataFolder(), QStringLiteral(KORVANT_COMMUNITY_HOST),
                          [] { QCoreApplication::exit(0); }});
    window.setStationDirectory(directory::clientFromModule(
        QStringLiteral(KORVANT_DIRECTORY_SERVERS), QStringLiteral("KorvantLite/" KORVANT_VERSION)));
    window.setPlaylistFiles(playlistFiles, playlists::fetcherFromModule(
                                               QStringLiteral("KorvantLite/" KORVANT_VERSION)));
    window.Form_Load();

    desktop::DesktopSession desktopSession(
        {player, app::desktopHooks(window), common::dataFolder(), QStringLiteral(":/korvant.png"),
         [&window, &messages](const QString& fileName, const QString& why) {
             messages.show(&window,
                           QObject::tr("%1 could not be saved, so the file keeps its earlier "
                                       "contents.\n\n%2")
                               .arg(QDir::toNativeSeparators(common::dataFile(fileName)), why),
                           QStringLiteral("Korvant Lite"), platform::MessageBox::Icon::Warning);
         }});
    desktopSession.addNotificationsEntry(window.mnuSettings, window.mnuAbout);

    if (!window.isInTray())
        window.show();
    // The session bus is joined a moment after the window has been handed to the display:
    // joining costs under a millisecond, but run before the window's first map it was seen
    // to delay it by several, and no media key or widget needs the player sooner.
    QTimer::singleShot(200, &desktopSession, [&desktopSession] { desktopSession.joinBus(); });
    return QApplication::exec();
}
