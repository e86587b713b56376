#include "qt_notify_area.h"

#include "common/remote_text.h"
#include "platform/icon_handles.h"
#include "platform/window_message.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStyle>
#include <QTextDocument>
#include <QWidget>
#include <cstring>

namespace platform {

struct QtNotifyArea::Entry {
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    bool reportsActivity = false;
    std::uint32_t callbackMessage = 0;
    QSystemTrayIcon icon;
};

namespace {

constexpr std::uint32_t recordSize = sizeof(NotifyIconData);

// A tray icon must never be blank: a hidden window whose icon cannot be seen or clicked
// is lost to the user. Missing handles fall back to what the window itself shows.
QIcon iconOrFallback(std::uint32_t hIcon, std::uint32_t hWnd) {
    QIcon icon = IconHandles::iconFor(hIcon);
    if (!icon.isNull())
        return icon;
    if (const QWidget* window = QWidget::find(static_cast<WId>(hWnd)))
        icon = window->windowIcon();
    if (icon.isNull())
        icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
    return icon;
}

} // namespace

QtNotifyArea::QtNotifyArea() = default;
QtNotifyArea::~QtNotifyArea() = default;

bool QtNotifyArea::Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) {
    if (data.cbSize != recordSize)
        return false;
    switch (message) {
    case NIM_ADD:
        return add(data);
    case NIM_MODIFY:
        return modify(data);
    case NIM_DELETE:
        return icons_.erase(Key(data.hWnd, data.uID)) > 0;
    default:
        return false;
    }
}

bool QtNotifyArea::add(const NotifyIconData& data) {
    const Key key(data.hWnd, data.uID);
    if (icons_.count(key) != 0 || !QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    auto entry = std::make_unique<Entry>();
    entry->hWnd = data.hWnd;
    entry->uID = data.uID;
    if ((data.uFlags & NIF_ICON) == 0)
        entry->icon.setIcon(iconOrFallback(0, data.hWnd));
    apply(*entry, data);
    Entry* const raw = entry.get();
    QObject::connect(
        &raw->icon, &QSystemTrayIcon::activated, &raw->icon,
        [this, raw](QSystemTrayIcon::ActivationReason reason) { report(*raw, reason); });
    raw->icon.show();
    icons_.emplace(key, std::move(entry));
    return true;
}

bool QtNotifyArea::modify(const NotifyIconData& data) {
    const auto found = icons_.find(Key(data.hWnd, data.uID));
    if (found == icons_.end())
        return false;
    apply(*found->second, data);
    return true;
}

void QtNotifyArea::apply(Entry& entry, const NotifyIconData& data) {
    if (data.uFlags & NIF_ICON)
        entry.icon.setIcon(iconOrFallback(data.hIcon, data.hWnd));
    if (data.uFlags & NIF_TIP)
        entry.icon.setToolTip(toolTipFor(tipOf(data)));
    if (data.uFlags & NIF_MESSAGE) {
        entry.reportsActivity = true;
        entry.callbackMessage = data.uCallbackMessage;
    }
}

void QtNotifyArea::report(const Entry& entry, QSystemTrayIcon::ActivationReason reason) const {
    if (!entry.reportsActivity)
        return;
    const std::uint32_t mouseMessage = mouseMessageFor(reason, entry.icon.geometry().isEmpty());
    QWidget* const window = QWidget::find(static_cast<WId>(entry.hWnd));
    if (mouseMessage == 0 || window == nullptr)
        return;
    // Posted, not sent: the window handles it after Qt has finished with the tray's own
    // mouse event, as a message queued by the shell would be.
    QCoreApplication::postEvent(
        window, new WindowMessageEvent(entry.callbackMessage, entry.uID, mouseMessage));
}

QSystemTrayIcon* QtNotifyArea::trayIcon(std::uint32_t hWnd, std::uint32_t uID) const {
    const auto found = icons_.find(Key(hWnd, uID));
    return found == icons_.end() ? nullptr : &found->second->icon;
}

std::uint32_t QtNotifyArea::mouseMessageFor(QSystemTrayIcon::ActivationReason reason,
                                            bool singleActivationHost) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Trigger:
        return singleActivationHost ? WM_LBUTTONDBLCLK : WM_LBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

QString QtNotifyArea::tipOf(const NotifyIconData& data) {
    const auto* const end =
        static_cast<const char*>(std::memchr(data.szTip, '\0', sizeof data.szTip));
    const auto length = end ? end - data.szTip : static_cast<std::ptrdiff_t>(sizeof data.szTip);
    return QString::fromLocal8Bit(data.szTip, static_cast<qsizetype>(length));
}

QString QtNotifyArea::toolTipFor(const QString& tip) {
    const QString line = common::cleanRemoteText(tip);
    return Qt::mightBeRichText(line) ? common::plainToolTip(line) : line;
}

} // namespace platform
