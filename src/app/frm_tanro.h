#pragma once

#include "directory/directory_client.h"
#include "tray/mdl_tray.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;

namespace about {
class About;
}
namespace common {
class ClickLabel;
}
namespace directory {
class FindStationsWindow;
}
namespace favourites {
class FavouritesEditor;
}
namespace links {
class Links;
}
namespace platform {
class MediaPlayer;
class MessageBox;
class NotifyArea;
class PlayerView;
class Shell;
class WebBrowserFactory;
} // namespace platform
namespace tray {
class TrayMenu;
}

namespace app {

class MainPanel;
class StartupOptionsPanel;

// What the main window needs from the platform. The program passes the real pieces,
// tests pass fakes.
struct PlatformParts {
    platform::MediaPlayer& player;
    platform::NotifyArea& notifyArea;
    platform::Shell& shell;
    platform::WebBrowserFactory& browsers;
    platform::MessageBox& messages;
    QString dataFolder;               // ends with a slash
    QString communityHost;            // shown by the About dialog
    std::function<void()> endProgram; // ends the process at once
};

// The main window. Its controls are the program's state; each handler is named after
// the control and event it answers and delegates to the subsystem that owns the work.
class frmTANRO : public QMainWindow {
    Q_OBJECT
public:
    explicit frmTANRO(PlatformParts parts, QWidget* parent = nullptr);
    ~frmTANRO() override;

    // Start-up: runs once, before the window is first shown.
    void Form_Load();
    // Whether start-up left the window in the tray (so it is not to be shown).
    bool isInTray() const { return mdlTray_.iconShown(); }

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

    // Controls, by their names.
    QLabel* Picture2;
    platform::PlayerView* WindowsMediaPlayer1;
    MainPanel* Frame5;
    StartupOptionsPanel* Frame4;
    favourites::FavouritesEditor* Frame3;
    QPushButton* Command4;
    QPushButton* cmdExit;
    QPushButton* cmdFavseditor;
    common::ClickLabel* Label33;
    common::ClickLabel* Label39;
    common::ClickLabel* Label40;
    common::ClickLabel* Label9;
    QLabel* Label32;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLabel* Label35; // "Vol:"
    QSlider* VolumeControl;
    QPushButton* cmdPlay;
    QPushButton* cmdPause;
    QPushButton* cmdMute;
    QPushButton* cmdAddtray;

    QMenu* mnuSettings;
    QAction* mnuStartops;
    QAction* mnuFavslist;
    QAction* mnuFindStations;
    QAction* mnuElinks;
    QAction* mnuSttray;
    QAction* mnuAbout;
    QAction* mnuExit2;
    QMenu* mnuPstuff;
    QAction* mnuLpstuff;
    QAction* mnuCupdates;
    QAction* mnuLumon;
    QAction* mnuLvimble;
    QAction* mnuLname5;
    QMenu* mnuTools; // never shown
    QAction* mnuSinfo;
    tray::TrayMenu* mnuMenu;

    // Where "Find Stations" gets its directory client; until set, the window says the
    // directory cannot be used.
    void setStationDirectory(directory::ClientMaker makeClient) {
        directoryClients_ = std::move(makeClient);
    }
    // The "Find Stations" window, made when first opened; null until then.
    directory::FindStationsWindow* frmFindStations() const { return findStations_.get(); }

    links::Links& frmPindle() { return *links_; }
    about::About& frmAbout() { return *about_; }
    const tray::mdlTray& mdlTray() const { return mdlTray_; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildControlsBelowClientArea(QWidget* client);
    void keepKeyboardToWhatIsInView();
    void connectHandlers();
    void setWidthTwips(int twips);
    void closeSidePanel();
    // Shows the default favourite's name, read from the settings file or just typed.
    void showFavouriteName(const QString& name);
    void reportSaveFailure(const QString& fileName, const QString& why);

    PlatformParts parts_;
    tray::mdlTray mdlTray_;
    std::unique_ptr<links::Links> links_;
    std::unique_ptr<about::About> about_;
    std::vector<QWidget*> belowClientArea_;
    directory::ClientMaker directoryClients_;
    std::unique_ptr<directory::FindStationsWindow> findStations_;
};

} // namespace app
