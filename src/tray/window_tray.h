#pragma once

#include "platform/notify_area.h"
#include "tray/mdl_tray.h"

#include <QString>
#include <cstdint>

class QWidget;

namespace platform {
class MediaPlayer;
}

namespace tray {

class TrayMenu;

// The window message the tray icon's mouse notifications arrive as.
inline constexpr std::uint32_t kTrayCallbackMessage = platform::WM_MOUSEMOVE;

// The main window's way to the notification area and back. The icon is the window's
// own; the tray menu's status line and check marks belong to the trip.
class WindowTray {
public:
    WindowTray(QWidget& window, platform::NotifyArea& area, const platform::MediaPlayer& player);

    // Hides the window and shows its icon, with the status line worked out from the
    // drop-down's text. Without a notification area there is no icon to come back
    // through, so the window stays in reach instead of hidden for good.
    void sendToTray(TrayMenu& menu, const QString& comboText);
    // Shows the window again, removes the icon, and clears the status line and the
    // player entries' check marks.
    void bringBack(TrayMenu& menu);
    // Removes the icon, if shown, and nothing else.
    void removeIcon();

    const mdlTray& model() const { return model_; }

private:
    QWidget& window_;
    const platform::MediaPlayer& player_;
    mdlTray model_;
};

} // namespace tray
