#include "app/saving.h"

#include "app/main_panel.h"
#include "app/main_window_controls.h"
#include "app/settings_file.h"
#include "app/startup_options_panel.h"
#include "common/remote_text.h"
#include "common/text_field.h"
#include "platform/message_box.h"
#include "player/status_line.h"
#include "tray/tray_menu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

namespace app {

QString saveStartupOptions(MainWindowControls& controls, const QString& dataFolder) {
    StartupOptionsPanel& panel = *controls.Frame4;
    MainPanel& main = *controls.Frame5;
    const auto flag = [](QCheckBox* box, QLabel* display) {
        const bool on = box->isChecked();
        showOption(display, on);
        return flagText(on);
    };
    // The update option has no display on the main panel; its own label stays hidden.
    const QString updateFlag = flagText(panel.chkAutup->isChecked());
    const QString trayFlag = flag(panel.chkAtray, main.lblAtraydisplay);
    const QString streamFlag = flag(panel.chkAstream, main.lblAstreamdisplay);
    main.showFavouriteName(panel.txtAbfavname->text());

    return writeSettingsFile(
        dataFolder + kSettingsFileName,
        {panel.txtAbfavurl->text(), trayFlag, streamFlag, panel.txtAbfavname->text(), updateFlag});
}

void showSavedFavourites(MainWindowControls& controls, const favourites::Slots& stations) {
    QComboBox* combo = controls.Frame5->Combo1;
    combo->clear();
    for (const favourites::Station& s : stations)
        combo->addItem(common::cleanRemoteText(s.name));
    combo->setEditText(player::kPromptAfterSave);
    // The tray's station entries play their slot's current address, so they show the
    // names just saved rather than the ones read at start-up.
    for (int i = 0; i < favourites::kSlots; ++i)
        common::showInMenu(controls.mnuMenu->mnuSta[i], stations[i].name);
}

void reportSaveFailure(QWidget* window, platform::MessageBox& messages, const QString& dataFolder,
                       const QString& fileName, const QString& why) {
    if (why.isEmpty())
        return;
    messages.show(
        window,
        QCoreApplication::translate(
            "app::frmTANRO", "%1 could not be saved, so the file keeps its earlier contents.\n\n%2")
            .arg(QDir::toNativeSeparators(dataFolder + fileName), why),
        QStringLiteral("Korvant Lite"), platform::MessageBox::Icon::Warning);
}

} // namespace app
