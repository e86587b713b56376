#pragma once

#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QRect;
class QSlider;
class QWidget;

namespace common {
class ClickLabel;
}
namespace favourites {
class FavouritesEditor;
}
namespace platform {
class MediaPlayer;
class MessageBox;
class PlayerView;
} // namespace platform
namespace tray {
class TrayMenu;
}

namespace app {

class MainPanel;
class StartupOptionsPanel;

inline constexpr int kClosedWidth = 9330; // twips: the main column only
inline constexpr int kOpenWidth = 14640;  // twips: with a side panel
// The client area is tall enough for the side panels, whose controls lie down to 4935
// twips; the controls below it are out of sight unless the user enlarges the window.
inline constexpr int kClientHeight = 4935;

// The controls inside the client area, by their names: the banner, the player, the main
// panel (or the status view in its place) and the two side panels.
struct ClientAreaControls {
    QLabel* Picture2 = nullptr;
    platform::PlayerView* WindowsMediaPlayer1 = nullptr;
    MainPanel* Frame5 = nullptr;
    StartupOptionsPanel* Frame4 = nullptr;
    favourites::FavouritesEditor* Frame3 = nullptr;
    QLabel* Label32 = nullptr; // the status view; made after the controls below, as ever
};

// The controls below the client area, out of sight unless the user enlarges the window,
// and the player controls that stay hidden for good.
struct ControlsBelowClientArea {
    QPushButton* Command4 = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdFavseditor = nullptr;
    QPushButton* cmdAddtray = nullptr;
    common::ClickLabel* Label33 = nullptr;
    common::ClickLabel* Label39 = nullptr;
    common::ClickLabel* Label40 = nullptr;
    common::ClickLabel* Label9 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label35 = nullptr; // "Vol:"
    QSlider* VolumeControl = nullptr;
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdPause = nullptr;
    QPushButton* cmdMute = nullptr;

    // The ones below the client area that would take the keyboard when in view.
    std::vector<QWidget*> takingKeyboard() const;
};

// The menu bar's menus, the tray's pop-up menu and the menu that is never shown.
struct MainWindowMenus {
    QMenu* mnuSettings = nullptr; // "Tools"
    QAction* mnuStartops = nullptr;
    QAction* mnuFavslist = nullptr;
    QAction* mnuFindStations = nullptr;
    QAction* mnuElinks = nullptr;
    QAction* mnuSttray = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuExit2 = nullptr;
    QMenu* mnuPstuff = nullptr;
    QAction* mnuLpstuff = nullptr;
    QAction* mnuCupdates = nullptr;
    QAction* mnuLumon = nullptr;
    QAction* mnuLvimble = nullptr;
    QAction* mnuLname5 = nullptr;
    QMenu* mnuTools = nullptr; // never shown
    QAction* mnuSinfo = nullptr;
    tray::TrayMenu* mnuMenu = nullptr;
};

// Every control and menu of the main window, by its name. The window inherits them, as a
// window inherits the form its designer drew, so each is reached as window.Name.
struct MainWindowControls : ClientAreaControls, ControlsBelowClientArea, MainWindowMenus {
    // Makes the controls and menus inside `window`, placed in twips. Runs once, from the
    // window's constructor.
    void setupControls(QMainWindow& window, platform::MediaPlayer& player,
                       platform::MessageBox& messages);

private:
    void buildClientArea(QWidget* client, platform::MediaPlayer& player,
                         platform::MessageBox& messages);
    void buildControlsBelowClientArea(QWidget* client);
    void buildMenus(QMainWindow& window);
};

// Lets the controls below the client area take the keyboard (Tab and their mnemonics)
// only while the client area `view` shows them whole.
void keepKeyboardToWhatIsInView(const ControlsBelowClientArea& controls, const QRect& view);

} // namespace app
