#include "tray/send_to_tray.h"

#include "platform/media_player.h"
#include "platform/notify_area.h"
#include "platform/twips.h"
#include "player/status_line.h"

#include <QWidget>

namespace tray {

QString statusForTray(const QString& comboText, const platform::MediaPlayer& player) {
    // Both forms of the prompt mean that no favourite was picked: the one Save List
    // sets and the one with a full stop that start-up sets.
    const bool prompt =
        comboText == player::kPromptAfterSave || comboText == player::kPromptAtStartup;
    const bool playing = player.playState() == platform::psPlaying;
    if (playing && prompt)
        return player::kStatusMainDb + player.status();
    if (!playing)
        return player::kStatusNoStream;
    return player::kStatusStreaming + comboText;
}

void minimiseAndHide(QWidget* window) {
    if (window->windowState() & Qt::WindowMinimized)
        return;
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
    window->hide();
}

void showNormal(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

TrayRequest decodeTrayNotification(float xTwips) {
    const float message = xTwips / platform::kTwipsPerPixelX;
    if (message == static_cast<float>(platform::WM_LBUTTONDBLCLK))
        return TrayRequest::Restore;
    if (message == static_cast<float>(platform::WM_RBUTTONUP))
        return TrayRequest::PopUpMenu;
    return TrayRequest::None;
}

} // namespace tray
