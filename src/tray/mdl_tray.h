#pragma once

#include "platform/notify_area.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tray {

// The program's one notification-area icon. The record is filled by AddTrayIcon and
// reused unchanged by RemoveTrayIcon; before the first add every field is zero.
class mdlTray {
public:
    explicit mdlTray(platform::NotifyArea& shell) : shell_(shell) {}

    // Adds the icon for `hWnd` with id 1. Returns false when the notification area
    // refuses it (a duplicate, or no notification area on this desktop).
    bool AddTrayIcon(std::uint32_t hWnd, std::uint32_t hIcon, const QString& tip,
                     std::uint32_t callbackMessage);
    // Deletes the icon the record names. Returns false when there was none.
    bool RemoveTrayIcon();

    const platform::NotifyIconData& TrayIconRecord() const { return TrayIconRecord_; }
    // Whether the notification area holds our icon, as its answers have told us.
    bool iconShown() const { return iconShown_; }

private:
    platform::NotifyArea& shell_;
    platform::NotifyIconData TrayIconRecord_{};
    bool iconShown_ = false;
};

// The record's 88 bytes as the notification area receives them (little-endian).
QByteArray recordBytes(const platform::NotifyIconData& record);

} // namespace tray
