#include "tray/tray_menu.h"

#include "player/status_line.h"

namespace tray {

TrayMenu::TrayMenu(QWidget* parent) : QMenu(tr("Menu"), parent) {
    setObjectName("mnuMenu");
    mnuShow = addAction(tr("Open"));
    mnuCloseme = addAction(tr("Close Tray Menu"));
    Hyphen2 = addSeparator();
    mnuStats = addAction(player::kStatusAtCreation);
    hyphen1 = addSeparator();
    mnuMainsta = addMenu(tr("Stations"));
    for (int i = 0; i < 10; ++i)
        mnuSta[i] =
            mnuMainsta->addAction(i == 0 ? QStringLiteral("sta0") : QStringLiteral("Sta%1").arg(i));
    hyphen3 = addSeparator();
    mnuPlaystop = addAction(tr("Stop"));
    mnuPause = addAction(tr("Pause"));
    mnuMute1 = addAction(tr("Mute"));
    mnuHide = addAction(tr("Hide"));
    mnuHide->setVisible(false);
    hyphen4 = addSeparator();
    mnuExit = addAction(tr("Exit"));

    for (QAction* toggle : {mnuPlaystop, mnuPause, mnuMute1})
        toggle->setCheckable(true);
    mnuShow->setObjectName("mnuShow");
    mnuStats->setObjectName("mnuStats");
    mnuMainsta->setObjectName("mnuMainsta");
    mnuExit->setObjectName("mnuExit");
}

} // namespace tray
