#pragma once

#include <QMenu>
#include <array>

namespace tray {

// The tray's pop-up menu. Its captions and check marks are the tray's state: the
// status entry's caption is the status line.
class TrayMenu : public QMenu {
    Q_OBJECT
public:
    explicit TrayMenu(QWidget* parent = nullptr);

    QAction* mnuShow;
    QAction* mnuCloseme;
    QAction* Hyphen2;
    QAction* mnuStats;
    QAction* hyphen1;
    QMenu* mnuMainsta;
    std::array<QAction*, 10> mnuSta{};
    QAction* hyphen3;
    QAction* mnuPlaystop;
    QAction* mnuPause;
    QAction* mnuMute1;
    QAction* mnuHide; // never shown; send to tray runs its handler
    QAction* hyphen4;
    QAction* mnuExit;
};

} // namespace tray
