#include "tray/mdl_tray.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace tray {

bool mdlTray::AddTrayIcon(std::uint32_t hWnd, std::uint32_t hIcon, const QString& tip,
                          std::uint32_t callbackMessage) {
    auto& r = TrayIconRecord_;
    r.cbSize = sizeof(platform::NotifyIconData);
    r.hWnd = hWnd;
    r.uID = 1;
    r.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    r.uCallbackMessage = callbackMessage;
    r.hIcon = hIcon;
    // The tip, one NUL, then blanks to the end of the field.
    const QByteArray text = tip.toLatin1().left(sizeof r.szTip - 1);
    std::memset(r.szTip, ' ', sizeof r.szTip);
    std::memcpy(r.szTip, text.constData(), static_cast<std::size_t>(text.size()));
    r.szTip[text.size()] = '\0';

    const bool added = shell_.Shell_NotifyIcon(platform::NIM_ADD, r);
    iconShown_ = iconShown_ || added;
    return added;
}

bool mdlTray::RemoveTrayIcon() {
    const bool removed = shell_.Shell_NotifyIcon(platform::NIM_DELETE, TrayIconRecord_);
    if (removed)
        iconShown_ = false;
    return removed;
}

QByteArray recordBytes(const platform::NotifyIconData& r) {
    QByteArray bytes(88, '\0');
    char* out = bytes.data();
    for (std::uint32_t v : {r.cbSize, r.hWnd, r.uID, r.uFlags, r.uCallbackMessage, r.hIcon}) {
        qToLittleEndian(v, out);
        out += 4;
    }
    std::memcpy(out, r.szTip, sizeof r.szTip);
    return bytes;
}

} // namespace tray
