#include "app/startup.h"

#include "app/main_panel.h"
#include "app/main_window_controls.h"
#include "app/settings_file.h"
#include "app/startup_options_panel.h"
#include "common/data_folder.h"
#include "common/remote_text.h"
#include "common/text_field.h"
#include "favourites/favourites_editor.h"
#include "favourites/favourites_file.h"
#include "links/links.h"
#include "links/mdl_extras.h"
#include "platform/media_player.h"
#include "platform/message_box.h"
#include "player/status_line.h"
#include "tray/tray_menu.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

namespace app {

namespace {

// Far above any banner strip; a bigger file is not read past this.
constexpr qint64 kMaxBannerBytes = qint64{16} * 1024 * 1024;
// Decoded size limit in MiB, against small files that claim huge pictures.
constexpr int kMaxBannerDecodedMiB = 64;

// The messages are the window's own, translated under its name.
QString tr(const char* text) {
    return QCoreApplication::translate("app::frmTANRO", text);
}

// The banner picture, or none when the file is missing, unreadable or no picture.
QPixmap readBanner(const QString& path, QString& problem) {
    common::FileBytes file = common::readDataFileBytes(path, kMaxBannerBytes);
    problem = file.why;
    if (file.state != common::FileBytes::State::Read)
        return {};
    QBuffer buffer(&file.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kMaxBannerDecodedMiB);
    return QPixmap::fromImage(reader.read());
}

// The favourites in the editor, the tray's station entries and the drop-down's list.
void showFavourites(MainWindowControls& c, const favourites::Slots& stations) {
    c.Frame3->setNames(stations);
    for (int i = 0; i < favourites::kSlots; ++i)
        common::showInMenu(c.mnuMenu->mnuSta[i], stations[i].name);
    c.Frame3->setUrls(stations);
    for (const favourites::Station& s : stations)
        c.Frame5->Combo1->addItem(common::cleanRemoteText(s.name));
}

// The start-up options into their panel and the main panel's displays; then the window
// goes to the tray and the default favourite plays as they say.
void applyOptions(const StartupParts& parts, const Settings& settings) {
    MainWindowControls& c = parts.controls;
    common::showText(c.Frame4->txtAbfavurl, settings.favouriteUrl);
    c.Frame5->showFavouriteName(settings.favouriteName);
    common::showText(c.Frame4->txtAbfavname, settings.favouriteName);

    if (flagIsOn(settings.trayFlag)) {
        c.Frame4->chkAtray->setChecked(true);
        showOption(c.Frame5->lblAtraydisplay, true);
        parts.sendToTray();
    } else {
        c.Frame4->chkAtray->setChecked(false);
        showOption(c.Frame5->lblAtraydisplay, false);
    }

    if (flagIsOn(settings.streamFlag)) {
        parts.player.setURL(settings.favouriteUrl);
        c.Frame4->chkAstream->setChecked(true);
        showOption(c.Frame5->lblAstreamdisplay, true);
        common::showInMenu(c.mnuMenu->mnuStats,
                           player::kStatusStreamingFavourite + c.Frame4->txtAbfavname->text());
        c.Frame5->Combo1->setEditText(common::cleanRemoteText(c.Frame4->txtAbfavname->text()));
    } else {
        c.Frame4->chkAstream->setChecked(false);
        showOption(c.Frame5->lblAstreamdisplay, false);
        c.Frame5->Combo1->setEditText(player::kPromptAtStartup);
    }

    if (c.Frame4->chkAtray->isChecked())
        parts.sendToTray();
}

} // namespace

QStringList loadDataFilesAndApplyOptions(const StartupParts& parts) {
    MainWindowControls& c = parts.controls;
    const QString folder = parts.dataFolder;
    QStringList unreadable;
    const auto note = [&unreadable](const QString& path, const QString& problem) {
        if (!problem.isEmpty())
            unreadable << tr("%1: %2.").arg(QDir::toNativeSeparators(path), problem);
    };

    // A missing banner simply shows no picture.
    const QString bannerPath = folder + QStringLiteral("stationbanner.jpg");
    QString problem;
    c.Picture2->setPixmap(readBanner(bannerPath, problem));
    note(bannerPath, problem);

    note(links::mdlExtras::linksFilePath(folder), parts.links.loadMenuCaptions());

    const QString favouritesPath = folder + favourites::kFavouritesFileName;
    const favourites::Slots stations = favourites::readFavouritesFile(favouritesPath, &problem);
    note(favouritesPath, problem);
    showFavourites(c, stations);

    const QString settingsPath = folder + kSettingsFileName;
    const Settings settings = readSettingsFile(settingsPath, &problem);
    note(settingsPath, problem);
    applyOptions(parts, settings);
    return unreadable;
}

void reportUnreadableFilesLater(QWidget* window, platform::MessageBox& messages,
                                const QStringList& unreadable) {
    if (unreadable.isEmpty())
        return;
    QTimer::singleShot(0, window, [window, &messages, unreadable] {
        messages.show(window,
                      tr("These data files could not be read, so the program started without "
                         "what they hold. They are left as they are and are not saved over.\n\n%1")
                          .arg(unreadable.join(QLatin1Char('\n'))),
                      QStringLiteral("Korvant Lite"), platform::MessageBox::Icon::Warning);
    });
}

} // namespace app
