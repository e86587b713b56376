#pragma once

#include <QString>

class QWidget;

namespace platform {
class MediaPlayer;
}

namespace tray {

// The status line worked out when the window goes to the tray, from the drop-down's
// text and what the player is doing.
QString statusForTray(const QString& comboText, const platform::MediaPlayer& player);

// Minimise and hide: a window already minimised is left as it is.
void minimiseAndHide(QWidget* window);

// Brings the window back to its normal state, shown.
void showNormal(QWidget* window);

// What a tray notification asks for, from the mouse message number that arrives in
// place of the pointer's x position (in twips).
enum class TrayRequest { None, Restore, PopUpMenu };
TrayRequest decodeTrayNotification(float xTwips);

} // namespace tray
