#include "app/frm_tanro.h"

#include "about/about.h"
#include "app/main_panel.h"
#include "app/saving.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "app/startup_options_panel.h"
#include "common/click_label.h"
#include "common/program_options.h"
#include "directory/find_stations_window.h"
#include "favourites/favourites_editor.h"
#include "favourites/favourites_file.h"
#include "favourites/playlist_transfer.h"
#include "links/links.h"
#include "platform/media_player.h"
#include "platform/player_view.h"
#include "platform/twips.h"
#include "platform/window_message.h"
#include "player/recording_choices.h"
#include "player/station_selection.h"
#include "player/stream_tester.h"
#include "tray/send_to_tray.h"
#include "tray/tray_menu.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace app {

namespace {

// A checkable menu entry whose handler decides from its mark as it was before the
// click: the toolkit flips the mark itself before reporting the click, so flip it back.
void onToggleEntry(QAction* entry, QObject* context, const std::function<void()>& handler) {
    entry->setCheckable(true);
    QObject::connect(entry, &QAction::triggered, context, [entry, handler] {
        entry->setChecked(!entry->isChecked());
        handler();
    });
}

} // namespace

frmTANRO::frmTANRO(PlatformParts parts, QWidget* parent)
    : QMainWindow(parent), parts_(std::move(parts)), tray_(*this, parts_.notifyArea, parts_.player),
      panels_(*this, *this, parts_.player) {
    setObjectName("frmTANRO");
    setWindowTitle(QStringLiteral("Korvant"));
    setWindowIcon(QIcon(QStringLiteral(":/korvant.png")));

    setupControls(*this, parts_.player, parts_.messages);
    links_ = std::make_unique<links::Links>(
        links::LinksMenu{mnuPstuff, {mnuLpstuff, mnuCupdates, mnuLumon, mnuLvimble, mnuLname5}},
        parts_.dataFolder, parts_.browsers, parts_.shell, parts_.messages);
    about_ = std::make_unique<about::About>(parts_.shell, parts_.communityHost, &parts_.messages);
    recording_ = std::make_unique<player::RecordingChoices>(player::RecordingChoices::Setup{
        parts_.player, parts_.folders, parts_.messages,
        parts_.dataFolder + QLatin1String(common::kOptionsFileName),
        [this](const QString& fileName, const QString& why) { reportSaveFailure(fileName, why); }});
    WindowsMediaPlayer1->setRecordingSetup(recording_.get());

    connectHandlers();
    Frame3->cmdImport->setEnabled(false);
    Frame3->cmdExport->setEnabled(false);
    centralWidget()->installEventFilter(this);
    keepKeyboardToWhatIsInView(*this, centralWidget()->rect());
    resize(platform::twipsToPixels(kClosedWidth),
           platform::twipsToPixels(kClientHeight) + menuBar()->sizeHint().height());
    panels_.setWidthTwips(kClosedWidth);
}

frmTANRO::~frmTANRO() = default;

bool frmTANRO::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        keepKeyboardToWhatIsInView(*this, centralWidget()->rect());
    return QMainWindow::eventFilter(watched, event);
}

void frmTANRO::connectHandlers() {
    onToggleEntry(mnuStartops, this, [this] { mnuStartops_Click(); });
    onToggleEntry(mnuFavslist, this, [this] { mnuFavslist_Click(); });
    onToggleEntry(mnuMenu->mnuPlaystop, this, [this] { mnuPlaystop_Click(); });
    onToggleEntry(mnuMenu->mnuPause, this, [this] { mnuPause_Click(); });
    onToggleEntry(mnuMenu->mnuMute1, this, [this] { mnuMute1_Click(); });
    connect(mnuFindStations, &QAction::triggered, this, &frmTANRO::mnuFindStations_Click);
    connect(mnuElinks, &QAction::triggered, this, &frmTANRO::mnuElinks_Click);
    connect(mnuSttray, &QAction::triggered, this, &frmTANRO::mnuSttray_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmTANRO::mnuAbout_Click);
    connect(mnuExit2, &QAction::triggered, this, &frmTANRO::mnuExit2_Click);
    connect(mnuPstuff, &QMenu::aboutToShow, this, &frmTANRO::mnuPstuff_Click);
    connect(mnuLpstuff, &QAction::triggered, this, [this] { links_->mnuLpstuff_Click(); });
    connect(mnuCupdates, &QAction::triggered, this, [this] { links_->mnuCupdates_Click(); });
    connect(mnuLumon, &QAction::triggered, this, [this] { links_->mnuLumon_Click(); });
    connect(mnuLvimble, &QAction::triggered, this, [this] { links_->mnuLvimble_Click(); });
    connect(mnuLname5, &QAction::triggered, this, [this] { links_->mnuLname5_Click(); });

    connect(Frame4->Command1, &QPushButton::clicked, this, &frmTANRO::Command1_Click);
    connect(Frame4->Label12, &common::ClickLabel::clicked, this, &frmTANRO::Label12_Click);
    connect(Frame3->cmdSavefavs, &QPushButton::clicked, this, &frmTANRO::cmdSavefavs_Click);
    connect(Frame3->Label31, &common::ClickLabel::clicked, this, &frmTANRO::Label31_Click);

    connect(Frame5->Combo1, &QComboBox::activated, this, &frmTANRO::Combo1_Click);
    connect(Frame5->lblFavdisplay, &common::ClickLabel::clicked, this,
            &frmTANRO::lblFavdisplay_Click);
    connect(Frame5->Picture3, &common::ClickLabel::clicked, this, &frmTANRO::Picture3_Click);
    connect(Frame5->Label48, &common::ClickLabel::clicked, this, &frmTANRO::Label48_Click);
    connect(Frame5->Label47, &common::ClickLabel::clicked, this, &frmTANRO::Label47_Click);

    connect(Command4, &QPushButton::clicked, this, &frmTANRO::Command4_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmTANRO::cmdExit_Click);
    connect(cmdAddtray, &QPushButton::clicked, this, &frmTANRO::cmdAddtray_Click);
    connect(Label33, &common::ClickLabel::clicked, this, &frmTANRO::Label33_Click);

    connect(mnuMenu->mnuShow, &QAction::triggered, this, &frmTANRO::mnuShow_Click);
    connect(mnuMenu->mnuHide, &QAction::triggered, this, &frmTANRO::mnuHide_Click);
    connect(mnuMenu->mnuExit, &QAction::triggered, this, &frmTANRO::mnuExit_Click);
    for (int i = 0; i < 10; ++i)
        connect(mnuMenu->mnuSta[i], &QAction::triggered, this, [this, i] { mnuSta_Click(i); });
}

// ---- Start-up ----------------------------------------------------------------------

void frmTANRO::Form_Load() {
    const QStringList unreadable = loadDataFilesAndApplyOptions(
        {*this, *links_, parts_.player, parts_.dataFolder, [this] { cmdAddtray_Click(); }});
    // Streaming at start-up picks the default favourite.
    if (Frame4->chkAstream->isChecked())
        recording_->picked(Frame4->txtAbfavname->text());
    reportUnreadableFilesLater(this, parts_.messages, unreadable);
}

// ---- Start-up options and side panels -----------------------------------------------

void frmTANRO::reportSaveFailure(const QString& fileName, const QString& why) {
    app::reportSaveFailure(this, parts_.messages, parts_.dataFolder, fileName, why);
}

void frmTANRO::Command1_Click() {
    reportSaveFailure(kSettingsFileName, saveStartupOptions(*this, parts_.dataFolder));
    panels_.closeSidePanel();
}

void frmTANRO::mnuStartops_Click() {
    panels_.toggleStartupOptions();
}

void frmTANRO::mnuFavslist_Click() {
    panels_.toggleFavouritesList();
}

void frmTANRO::mnuFindStations_Click() {
    // Made at the first opening, so start-up pays nothing for it.
    if (!findStations_) {
        directory::FindStationsHooks hooks;
        hooks.makeClient = directoryClients_;
        hooks.play = [this](const QString& address) { Frame5->tester->play(address); };
        hooks.slotNames = [this] {
            QStringList names;
            for (const QLineEdit* field : Frame3->txtStaname)
                names << field->text();
            return names;
        };
        hooks.putInSlot = [this](int slot, const QString& name, const QString& address) {
            Frame3->fillSlot(slot, name, address);
            if (!mnuFavslist->isChecked())
                mnuFavslist_Click();
        };
        findStations_ = std::make_unique<directory::FindStationsWindow>(std::move(hooks), this);
    }
    findStations_->show();
    findStations_->raise();
    findStations_->activateWindow();
    findStations_->txtName->setFocus();
}

void frmTANRO::Label12_Click() {
    panels_.closeSidePanel();
}
void frmTANRO::Label31_Click() {
    panels_.closeSidePanel();
}

void frmTANRO::mnuElinks_Click() {
    panels_.closeSidePanel();
    links_->mnuElinks_Click();
}

void frmTANRO::mnuAbout_Click() {
    about_->mnuAbout_Click(this);
}

void frmTANRO::Command4_Click() {
    panels_.showStatusView();
}

void frmTANRO::Label33_Click() {
    panels_.toggleStatusView();
}

// ---- Favourites ------------------------------------------------------------------------

void frmTANRO::setPlaylistFiles(favourites::PlaylistChooser& chooser,
                                playlists::FetcherMaker fetchers) {
    playlistTransfer_ = std::make_unique<favourites::PlaylistTransfer>(
        *Frame3, chooser, parts_.messages, std::move(fetchers));
    Frame3->cmdImport->setEnabled(true);
    Frame3->cmdExport->setEnabled(true);
}

void frmTANRO::cmdSavefavs_Click() {
    const favourites::Slots stations = Frame3->stations();
    reportSaveFailure(favourites::kFavouritesFileName,
                      favourites::writeFavouritesFile(
                          parts_.dataFolder + favourites::kFavouritesFileName, stations));
    showSavedFavourites(*this, stations);
    panels_.closeAfterSavingFavourites();
}

// ---- Playback ----------------------------------------------------------------------------

void frmTANRO::Combo1_Click() {
    const int slot = player::playPickedFavourite(
        *Frame5->Combo1, {Frame3->txtStaname, Frame3->txtStaurl}, parts_.player, Text2, Text3);
    if (slot >= 0)
        recording_->picked(Frame3->txtStaname[slot]->text());
}

void frmTANRO::lblFavdisplay_Click() {
    parts_.player.setURL(Frame4->txtAbfavurl->text());
    recording_->picked(Frame4->txtAbfavname->text());
}

void frmTANRO::mnuSta_Click(int index) {
    player::playSlot(index, {Frame3->txtStaname, Frame3->txtStaurl}, parts_.player, *Frame5->Combo1,
                     *mnuMenu->mnuStats);
    recording_->picked(Frame3->txtStaname[index]->text());
}

void frmTANRO::mnuPlaystop_Click() {
    player::toggleStop(parts_.player, *mnuMenu->mnuPlaystop);
}
void frmTANRO::mnuPause_Click() {
    player::togglePause(parts_.player, *mnuMenu->mnuPause);
}
void frmTANRO::mnuMute1_Click() {
    player::toggleMute(parts_.player, *mnuMenu->mnuMute1);
}

// ---- Tray ----------------------------------------------------------------------------------

void frmTANRO::mnuHide_Click() {
    tray::minimiseAndHide(this);
}

void frmTANRO::cmdAddtray_Click() {
    tray_.sendToTray(*mnuMenu, Frame5->Combo1->currentText());
}

void frmTANRO::mnuShow_Click() {
    tray_.bringBack(*mnuMenu);
}

void frmTANRO::Form_MouseMove(int, int, float x, float) {
    switch (tray::decodeTrayNotification(x)) {
    case tray::TrayRequest::Restore:
        mnuShow_Click();
        break;
    case tray::TrayRequest::PopUpMenu:
        mnuMenu->popup(QCursor::pos());
        break;
    case tray::TrayRequest::None:
        break;
    }
}

bool frmTANRO::event(QEvent* e) {
    // Only the tray icon's notifications reach the tray decoding; ordinary pointer
    // movement over the window never does.
    if (e->type() == platform::WindowMessageEvent::eventType()) {
        const auto* m = static_cast<platform::WindowMessageEvent*>(e);
        if (m->message == tray::kTrayCallbackMessage)
            Form_MouseMove(0, 0, static_cast<float>(m->lParam) * platform::kTwipsPerPixelX, 0);
        return true;
    }
    return QMainWindow::event(e);
}

// ---- Links, help and About --------------------------------------------------------------

void frmTANRO::mnuPstuff_Click() {
    links_->mnuPstuff_Click();
}
void frmTANRO::Picture3_Click() {
    links_->Picture3_Click();
}

// ---- Exits -----------------------------------------------------------------------------------

void frmTANRO::Label47_Click() {
    links_->unload();
    close();
}

void frmTANRO::closeEvent(QCloseEvent* e) {
    // The window's own close button exits as the "Exit" label does.
    links_->unload();
    // The search window belongs to this one and goes with it.
    if (findStations_)
        findStations_->close();
    QMainWindow::closeEvent(e);
}

void frmTANRO::cmdExit_Click() {
    close();
    parts_.endProgram();
}

void frmTANRO::mnuExit_Click() {
    tray_.removeIcon();
    close();
    parts_.endProgram();
}

} // namespace app
