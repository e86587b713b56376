#pragma once

#include "app/main_window_controls.h"
#include "app/side_panels.h"
#include "directory/directory_client.h"
#include "playlists/playlist_fetcher.h"
#include "tray/window_tray.h"

#include <QMainWindow>
#include <functional>
#include <memory>

namespace about {
class About;
}
namespace directory {
class FindStationsWindow;
}
namespace favourites {
class PlaylistChooser;
class PlaylistTransfer;
} // namespace favourites
namespace links {
class Links;
}
namespace player {
class RecordingChoices;
}
namespace platform {
class FolderChooser;
class MediaPlayer;
class MessageBox;
class NotifyArea;
class Shell;
class WebBrowserFactory;
} // namespace platform

namespace app {

// What the main window needs from the platform. The program passes the real pieces,
// tests pass fakes.
struct PlatformParts {
    platform::MediaPlayer& player;
    platform::NotifyArea& notifyArea;
    platform::Shell& shell;
    platform::WebBrowserFactory& browsers;
    platform::MessageBox& messages;
    platform::FolderChooser& folders; // the recording folder's chooser
    QString dataFolder;               // ends with a slash
    QString communityHost;            // shown by the About dialog
    std::function<void()> endProgram; // ends the process at once
};

// The main window: the composer of its parts. Its controls and menus (built by
// MainWindowControls) are the program's state; each handler is named after the control
// and event it answers and delegates to the part or subsystem that owns the work: the
// side panels, start-up, saving, the tray, playback, the links menu and About.
class frmTANRO : public QMainWindow, public MainWindowControls {
    Q_OBJECT
public:
    explicit frmTANRO(PlatformParts parts, QWidget* parent = nullptr);
    ~frmTANRO() override;

    // Start-up: runs once, before the window is first shown.
    void Form_Load();
    // Whether start-up left the window in the tray (so it is not to be shown).
    bool isInTray() const { return tray_.model().iconShown(); }

    // Start-up options and side panels.
    void Command1_Click();
    void mnuStartops_Click();
    void mnuFavslist_Click();
    void mnuFindStations_Click();
    void Label12_Click();
    void Label31_Click();
    void mnuElinks_Click();
    void mnuAbout_Click();
    void Command4_Click();
    void Label33_Click();
    void Label39_Click() {}
    void Label40_Click() {}
    void Label9_Click() {}
    void cmdFavseditor_Click() {}
    // Favourites.
    void cmdSavefavs_Click();
    // Playback.
    void Combo1_Click();
    void lblFavdisplay_Click();
    void mnuSta_Click(int index); // mnuSta0_Click .. mnuSta9_Click
    void mnuPlaystop_Click();
    void mnuPause_Click();
    void mnuMute1_Click();
    // Tray.
    void cmdAddtray_Click();
    void mnuSttray_Click() { cmdAddtray_Click(); }
    void Label48_Click() { cmdAddtray_Click(); }
    void mnuHide_Click();
    void mnuShow_Click();
    void Form_MouseMove(int button, int shift, float x, float y);
    // Links, help and About.
    void mnuPstuff_Click();
    void Picture3_Click();
    // Exits.
    void Label47_Click();
    void mnuExit2_Click() { Label47_Click(); }
    void cmdExit_Click();
    void mnuExit_Click();

    // Where "Find Stations" gets its directory client; until set, the window says the
    // directory cannot be used.
    void setStationDirectory(directory::ClientMaker makeClient) {
        directoryClients_ = std::move(makeClient);
    }
    // Where the favourites editor's "Import…" and "Export…" ask for files and addresses and
    // get the fetcher for web addresses; until set, both buttons are disabled.
    void setPlaylistFiles(favourites::PlaylistChooser& chooser, playlists::FetcherMaker fetchers);
    // The "Find Stations" window, made when first opened; null until then.
    directory::FindStationsWindow* frmFindStations() const { return findStations_.get(); }

    links::Links& frmPindle() { return *links_; }
    about::About& frmAbout() { return *about_; }
    const tray::mdlTray& mdlTray() const { return tray_.model(); }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    void reportSaveFailure(const QString& fileName, const QString& why);

    PlatformParts parts_;
    tray::WindowTray tray_;
    SidePanels panels_;
    std::unique_ptr<links::Links> links_;
    std::unique_ptr<about::About> about_;
    std::unique_ptr<player::RecordingChoices> recording_;
    directory::ClientMaker directoryClients_;
    std::unique_ptr<directory::FindStationsWindow> findStations_;
    std::unique_ptr<favourites::PlaylistTransfer> playlistTransfer_;
};

} // namespace app
