#pragma once

#include "desktop/now_playing.h"

namespace app {

class frmTANRO;

// What the desktop may do to the program, through the main window's own handlers: the
// favourites as the editor holds them, a station played as its tray entry plays it, Raise as
// the tray's "Open" (or bringing a shown window to the front), Quit as the tray's "Exit".
desktop::ProgramHooks desktopHooks(frmTANRO& window);

} // namespace app
