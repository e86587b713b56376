#pragma once

class QMainWindow;

namespace platform {
class MediaPlayer;
}

namespace app {

struct MainWindowControls;

// Which panel the main window shows: at most one side panel (the start-up options or the
// favourites list) beside the main column, which widens the window to hold it, and in the
// main column either the main panel or the status view. The menu entries' check marks
// tell which side panel is open; the status view's state holder tells whether it shows.
class SidePanels {
public:
    SidePanels(QMainWindow& window, MainWindowControls& controls, platform::MediaPlayer& player);

    // The menu entries: open their panel in place of the other, or close it when open.
    void toggleStartupOptions();
    void toggleFavouritesList();
    // Narrows the window to its main column and clears both side panels' check marks.
    void closeSidePanel();
    // After the favourites are saved: the window narrows and the list's mark clears.
    void closeAfterSavingFavourites();
    void setWidthTwips(int twips);

    // The status view: the player's status text in place of the main panel.
    void showStatusView();
    void toggleStatusView();

private:
    QMainWindow& window_;
    MainWindowControls& controls_;
    platform::MediaPlayer& player_;
};

} // namespace app
