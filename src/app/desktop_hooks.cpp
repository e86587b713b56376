#include "app/desktop_hooks.h"

#include "app/frm_tanro.h"
#include "app/startup_options_panel.h"
#include "favourites/favourites_editor.h"

#include <QLineEdit>

namespace app {

namespace {

QStringList texts(const std::array<QLineEdit*, 10>& fields) {
    QStringList out;
    for (const QLineEdit* field : fields)
        out << field->text();
    return out;
}

} // namespace

desktop::ProgramHooks desktopHooks(frmTANRO& window) {
    desktop::ProgramHooks hooks;
    hooks.stationNames = [&window] { return texts(window.Frame3->txtStaname); };
    hooks.stationUrls = [&window] { return texts(window.Frame3->txtStaurl); };
    hooks.playStation = [&window](int slot) { window.mnuSta_Click(slot); };
    hooks.otherStationName = [&window](const QString& url) {
        return window.Frame4->txtAbfavurl->text() == url ? window.Frame4->txtAbfavname->text()
                                                         : QString();
    };
    hooks.raise = [&window] {
        if (window.isInTray())
            window.mnuShow_Click();
        else if (window.isMinimized() || !window.isVisible())
            window.showNormal();
        window.raise();
        window.activateWindow();
    };
    hooks.quit = [&window] { window.mnuExit_Click(); };
    hooks.hiddenInTray = [&window] { return window.isInTray() && !window.isVisible(); };
    return hooks;
}

} // namespace app
