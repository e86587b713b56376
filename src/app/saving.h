#pragma once

#include "favourites/favourites_file.h"

#include <QString>

class QWidget;

namespace platform {
class MessageBox;
}

namespace app {

struct MainWindowControls;

// "Save Settings": the start-up options panel's choices go to the settings file and show
// on the main panel. Returns an empty string, or why the file could not be written.
QString saveStartupOptions(MainWindowControls& controls, const QString& dataFolder);

// After "Save" has written the favourites editor's stations: the drop-down and the tray's
// station entries show the names just saved.
void showSavedFavourites(MainWindowControls& controls, const favourites::Slots& stations);

// Tells the user that `fileName` in the data folder keeps its earlier contents and why;
// nothing when `why` is empty.
void reportSaveFailure(QWidget* window, platform::MessageBox& messages, const QString& dataFolder,
                       const QString& fileName, const QString& why);

} // namespace app
