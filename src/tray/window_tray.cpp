#include "tray/window_tray.h"

#include "common/text_field.h"
#include "platform/icon_handles.h"
#include "tray/send_to_tray.h"
#include "tray/tray_menu.h"

#include <QAction>
#include <QWidget>

namespace tray {

namespace {
const QString kTrayTip = QStringLiteral("Radio");
}

WindowTray::WindowTray(QWidget& window, platform::NotifyArea& area,
                       const platform::MediaPlayer& player)
    : window_(window), player_(player), model_(area) {}

void WindowTray::sendToTray(TrayMenu& menu, const QString& comboText) {
    minimiseAndHide(&window_);
    common::showInMenu(menu.mnuStats, statusForTray(comboText, player_));
    const bool added = model_.AddTrayIcon(static_cast<std::uint32_t>(window_.winId()),
                                          platform::IconHandles::handleFor(window_.windowIcon()),
                                          kTrayTip, kTrayCallbackMessage);
    if (!added && !model_.iconShown())
        showNormal(&window_);
}

void WindowTray::bringBack(TrayMenu& menu) {
    if (window_.windowState() & Qt::WindowMinimized)
        showNormal(&window_);
    model_.RemoveTrayIcon();
    showNormal(&window_);
    menu.mnuPlaystop->setChecked(false);
    menu.mnuStats->setText(QString());
    menu.mnuPause->setChecked(false);
    menu.mnuMute1->setChecked(false);
}

void WindowTray::removeIcon() {
    model_.RemoveTrayIcon();
}

} // namespace tray
