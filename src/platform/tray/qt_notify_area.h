#pragma once

#include "platform/notify_area.h"

#include <QSystemTrayIcon>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

namespace platform {

// The notification area over QSystemTrayIcon: one Qt tray icon per (hWnd, uID).
//
// Adding never waits for the desktop's tray host to embed or register the icon; it only
// refuses when Qt reports no tray at all, so a caller that hides its window on success
// always has an icon to come back through (modulo the host drawing it a moment later).
//
// Two kinds of tray host exist on Linux desktops. XEmbed hosts (trayer, stalonetray, older
// panels) embed a window of ours and report presses and double-clicks; StatusNotifier
// hosts (KDE, most current panels) draw the icon themselves and only ever report one
// "activate" for a left click, never a double-click. Callers written for the first kind
// restore their window on a left double-click, so on the second kind a single activation
// is reported as that double-click instead. The two are told apart by the icon itself:
// only an embedded icon has a screen rectangle (QSystemTrayIcon::geometry() is empty for
// a StatusNotifier icon, whose position Qt never learns). This is the decision Qt already
// made when it picked the backend, read back, so it holds whichever way Qt chose and needs
// no query of the session bus.
class QtNotifyArea final : public NotifyArea {
public:
    QtNotifyArea();
    ~QtNotifyArea() override;
    QtNotifyArea(const QtNotifyArea&) = delete;
    QtNotifyArea& operator=(const QtNotifyArea&) = delete;

    // NIM_ADD: refused when the record is not 88 bytes, when no tray is available or when
    // (hWnd, uID) already has an icon. The icon is taken from hIcon (NIF_ICON), falling
    // back to the window's or the program's icon so that the icon is never invisible; the
    // tip from szTip up to its first NUL (NIF_TIP). Mouse activity is posted to the window
    // only when NIF_MESSAGE is set.
    // NIM_MODIFY: changes icon, tip and callback of an existing icon by the same flags.
    // NIM_DELETE: removes the icon; refused when there is none.
    bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) override;

    // The Qt icon shown for (hWnd, uID), or nullptr: for tests and diagnostics.
    QSystemTrayIcon* trayIcon(std::uint32_t hWnd, std::uint32_t uID) const;

    // The mouse message reported for a Qt activation, 0 for none. singleActivationHost:
    // the host never reports double-clicks (see above), so its activation restores.
    static std::uint32_t mouseMessageFor(QSystemTrayIcon::ActivationReason reason,
                                         bool singleActivationHost);

    // The tip text of a record: szTip up to its first NUL, or all 64 bytes without one.
    static QString tipOf(const NotifyIconData& data);

    // The icon's tooltip for a tip text: one line of plain text. Tray hosts and Qt's own
    // fallback render a tip that looks like markup as rich text, so such a tip goes
    // escaped; any other goes as it is, which every host shows as it is.
    static QString toolTipFor(const QString& tip);

private:
    struct Entry;
    using Key = std::pair<std::uint32_t, std::uint32_t>;

    bool add(const NotifyIconData& data);
    bool modify(const NotifyIconData& data);
    void apply(Entry& entry, const NotifyIconData& data);
    void report(const Entry& entry, QSystemTrayIcon::ActivationReason reason) const;

    std::map<Key, std::unique_ptr<Entry>> icons_;
};

} // namespace platform
