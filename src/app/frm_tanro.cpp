#include "app/frm_tanro.h"

#include "about/about.h"
#include "app/main_panel.h"
#include "app/settings_file.h"
#include "app/startup_options_panel.h"
#include "common/click_label.h"
#include "common/data_folder.h"
#include "common/remote_text.h"
#include "common/text_field.h"
#include "directory/find_stations_window.h"
#include "favourites/favourites_editor.h"
#include "favourites/favourites_file.h"
#include "links/links.h"
#include "links/mdl_extras.h"
#include "platform/icon_handles.h"
#include "platform/media_player.h"
#include "platform/message_box.h"
#include "platform/placement.h"
#include "platform/player_view.h"
#include "platform/twips.h"
#include "platform/window_message.h"
#include "player/station_selection.h"
#include "player/status_line.h"
#include "player/stream_tester.h"
#include "tray/send_to_tray.h"
#include "tray/tray_menu.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace app {

namespace {

constexpr int kClosedWidth = 9330; // twips: the main column only
constexpr int kOpenWidth = 14640;  // twips: with a side panel
// The client area is tall enough for the side panels, whose controls lie down to 4935
// twips; the controls below it are out of sight unless the user enlarges the window.
constexpr int kClientHeight = 4935;
constexpr int kBelowClientArea = 5040;

constexpr std::uint32_t kTrayCallbackMessage = platform::WM_MOUSEMOVE;
const QString kTrayTip = QStringLiteral("Radio");
// The focus policy a control below the client area has while the user has enlarged the
// window far enough to see it.
constexpr const char* kFocusPolicyInView = "korvantFocusPolicyInView";

// A checkable menu entry whose handler decides from its mark as it was before the
// click: the toolkit flips the mark itself before reporting the click, so flip it back.
void onToggleEntry(QAction* entry, QObject* context, std::function<void()> handler) {
    entry->setCheckable(true);
    QObject::connect(entry, &QAction::triggered, context, [entry, handler] {
        entry->setChecked(!entry->isChecked());
        handler();
    });
}

// Menu entries that show names from the data files or a station's words: one line of
// plain text in which an '&' is itself.
void showInMenu(QAction* entry, const QString& text) {
    entry->setText(common::menuCaption(common::cleanRemoteText(text)));
}

} // namespace

frmTANRO::frmTANRO(PlatformParts parts, QWidget* parent)
    : QMainWindow(parent), parts_(std::move(parts)), mdlTray_(parts_.notifyArea) {
    setObjectName("frmTANRO");
    setWindowTitle(QStringLiteral("Korvant"));
    setWindowIcon(QIcon(QStringLiteral(":/korvant.png")));

    auto* client = new QWidget(this);
    setCentralWidget(client);

    Picture2 = new QLabel(client);
    Picture2->setObjectName("Picture2");
    Picture2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture2->setAccessibleName(tr("Station banner"));
    platform::place(Picture2, 120, 0, 9015, 800);

    WindowsMediaPlayer1 = new platform::PlayerView(parts_.player, client);
    WindowsMediaPlayer1->setObjectName("WindowsMediaPlayer1");
    // The player stops where the main panel starts, so neither hides the other.
    WindowsMediaPlayer1->setGeometry(platform::twipsRect(120, 720, 9015, 1680 - 720));

    Frame5 = new MainPanel(parts_.player, parts_.messages, client);
    Frame5->setGeometry(platform::twipsRect(120, 1680, 9135, 2940));

    Frame4 = new StartupOptionsPanel(client);
    Frame4->setGeometry(platform::twipsRect(9120, 0, 5505, kClientHeight));
    Frame4->hide();
    Frame3 = new favourites::FavouritesEditor(client);
    Frame3->setGeometry(platform::twipsRect(9240, 0, 5745, kClientHeight));
    Frame3->hide();
    // The panels' captions are bold and maroon. The colour goes through the palette, not a
    // style sheet: a style sheet re-polishes every control inside, which took longer than
    // building the panels.
    constexpr QPalette::ColorRole kCaptionRoles[] = {QPalette::WindowText, QPalette::Text};
    for (QGroupBox* panel : {static_cast<QGroupBox*>(Frame4), static_cast<QGroupBox*>(Frame3)}) {
        // The controls pin the colours they had, in every state, so the caption's do not
        // reach them; fonts are pinned likewise.
        QPalette plain = panel->palette();
        QPalette caption = plain;
        for (const QPalette::ColorRole role : kCaptionRoles) {
            for (const QPalette::ColorGroup group :
                 {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                plain.setColor(group, role, plain.color(group, role));
            caption.setColor(role, QColor(128, 0, 0));
        }
        QFont font = panel->font();
        font.setBold(true);
        panel->setFont(font);
        panel->setPalette(caption);
        for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QFont childFont = child->font();
            childFont.setBold(false);
            child->setFont(childFont);
            child->setPalette(plain);
        }
    }

    buildControlsBelowClientArea(client);
    buildMenus();

    links_ = std::make_unique<links::Links>(
        links::LinksMenu{mnuPstuff, {mnuLpstuff, mnuCupdates, mnuLumon, mnuLvimble, mnuLname5}},
        parts_.dataFolder, parts_.browsers, parts_.shell, parts_.messages);
    about_ = std::make_unique<about::About>(parts_.shell, parts_.communityHost, &parts_.messages);

    connectHandlers();
    client->installEventFilter(this);
    keepKeyboardToWhatIsInView();
    resize(platform::twipsToPixels(kClosedWidth),
           platform::twipsToPixels(kClientHeight) + menuBar()->sizeHint().height());
    setWidthTwips(kClosedWidth);
}

frmTANRO::~frmTANRO() = default;

void frmTANRO::keepKeyboardToWhatIsInView() {
    // The controls below the client area are shown, only out of sight: the toolkit would
    // still let Tab and their mnemonics reach them. They take the keyboard only while
    // the window is large enough to show them whole. Focus can still be put on them by
    // the program itself (the drop-down parks it there).
    const QRect view = centralWidget()->rect();
    for (QWidget* w : belowClientArea_) {
        const bool inView = view.contains(w->geometry());
        w->setFocusPolicy(inView ? w->property(kFocusPolicyInView).value<Qt::FocusPolicy>()
                                 : Qt::NoFocus);
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setShortcut(inView ? QKeySequence::mnemonic(b->text()) : QKeySequence());
    }
}

bool frmTANRO::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        keepKeyboardToWhatIsInView();
    return QMainWindow::eventFilter(watched, event);
}

void frmTANRO::buildControlsBelowClientArea(QWidget* client) {
    const auto button = [client](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, client);
        b->setObjectName(name);
        b->setAccessibleName(QString(caption).remove('&'));
        return b;
    };
    const auto label = [client](const QString& caption, const char* name) {
        auto* l = new common::ClickLabel(caption, client);
        l->setObjectName(name);
        return l;
    };
    const int y = kBelowClientArea;
    Command4 = button(QStringLiteral("Command4"), "Command4");
    platform::place(Command4, 120, y, 1200, 375);
    cmdExit = button(tr("E&xit"), "cmdExit");
    platform::place(cmdExit, 1440, y, 1000, 375);
    cmdFavseditor = button(tr("Edit"), "cmdFavseditor");
    platform::place(cmdFavseditor, 2560, y, 1000, 375);
    // Alt+T belongs to the Tools menu; the button's own letter is R, so that each
    // mnemonic in view is the only one on its key.
    cmdAddtray = button(tr("T&ray"), "cmdAddtray");
    platform::place(cmdAddtray, 3680, y, 1000, 375);
    Label33 = label(tr("Close"), "Label33");
    platform::place(Label33, 4800, y + 60);
    Label39 = label(QStringLiteral("Label39"), "Label39");
    platform::place(Label39, 5640, y + 60);
    Label40 = label(QStringLiteral("Label40"), "Label40");
    platform::place(Label40, 6720, y + 60);
    Label9 = label(tr("Load Homepage/playlist"), "Label9");
    platform::place(Label9, 120, y + 480);
    // The two fields on the label's row; the focus parks in them after a drop-down pick,
    // so a screen reader names them after the label beside them.
    Text2 = new QLineEdit(client);
    Text2->setObjectName("Text2");
    Text2->setAccessibleName(Label9->text());
    platform::place(Text2, 4000, y + 480, 1200, 315);
    Text3 = new QLineEdit(client);
    Text3->setObjectName("Text3");
    Text3->setAccessibleName(Label9->text());
    platform::place(Text3, 5400, y + 480, 1200, 315);
    belowClientArea_ = {Command4, cmdExit, cmdFavseditor, cmdAddtray, Label33,
                        Label39,  Label40, Label9,        Text2,      Text3};
    for (QWidget* w : belowClientArea_)
        w->setProperty(kFocusPolicyInView, QVariant::fromValue(w->focusPolicy()));

    // Hidden for good: the player's own interface is the one in view.
    Label35 = new QLabel(tr("Vol:"), client);
    VolumeControl = new QSlider(Qt::Horizontal, client);
    VolumeControl->setObjectName("VolumeControl");
    VolumeControl->setToolTip(tr("WMP Volume Control"));
    cmdPlay = button(tr("Stop"), "cmdPlay");
    cmdPause = button(tr("Pause"), "cmdPause");
    cmdMute = button(tr("Mute"), "cmdMute");
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label35, VolumeControl, cmdPlay, cmdPause, cmdMute}) {
        w->move(w->x(), platform::twipsToPixels(y + 960));
        w->hide();
    }

    // The status view: the player's own status text in place of the main panel.
    Label32 = new QLabel(client);
    Label32->setObjectName("Label32");
    Label32->setTextFormat(Qt::PlainText);
    Label32->setWordWrap(true);
    Label32->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label32->setAccessibleName(tr("Current stream info"));
    Label32->setGeometry(Frame5->geometry());
    Label32->hide();
}

void frmTANRO::buildMenus() {
    mnuSettings = menuBar()->addMenu(tr("&Tools"));
    mnuSettings->setObjectName("mnuSettings");
    mnuStartops = mnuSettings->addAction(tr("Start Up Options"));
    mnuFavslist = mnuSettings->addAction(tr("Favorite Stations List"));
    mnuFindStations = mnuSettings->addAction(tr("Find Stations"));
    mnuElinks = mnuSettings->addAction(tr("Links Menu"));
    mnuSttray = mnuSettings->addAction(tr("Send To Sys Tray"));
    mnuAbout = mnuSettings->addAction(tr("About Korvant"));
    mnuExit2 = mnuSettings->addAction(tr("Exit"));

    mnuPstuff = menuBar()->addMenu(QStringLiteral("PindleChat"));
    mnuPstuff->setObjectName("mnuPstuff");
    mnuLpstuff = mnuPstuff->addAction(QStringLiteral("Stuff"));
    mnuCupdates = mnuPstuff->addAction(QStringLiteral("Check for Updates"));
    mnuLumon = mnuPstuff->addAction(QStringLiteral("Start KeltUmon"));
    mnuLvimble = mnuPstuff->addAction(QStringLiteral("Launch Vimble"));
    mnuLname5 = mnuPstuff->addAction(QStringLiteral("..."));

    // Never on the menu bar: the tray's pop-up menu, and a menu of which only the
    // status view's state holder matters.
    mnuMenu = new tray::TrayMenu(this);
    mnuTools = new QMenu(tr("T&ools"), this);
    mnuSinfo = mnuTools->addAction(tr("Current Stream Info"));
    mnuSinfo->setCheckable(true);
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

namespace {

// Far above any banner strip; a bigger file is not read past this.
constexpr qint64 kMaxBannerBytes = 16 * 1024 * 1024;
// Decoded size limit in MiB, against small files that claim huge pictures.
constexpr int kMaxBannerDecodedMiB = 64;

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

} // namespace

void frmTANRO::Form_Load() {
    const QString folder = parts_.dataFolder;
    QStringList unreadable;
    const auto note = [&unreadable](const QString& path, const QString& problem) {
        if (!problem.isEmpty())
            unreadable << tr("%1: %2.").arg(QDir::toNativeSeparators(path), problem);
    };

    // A missing banner simply shows no picture.
    const QString bannerPath = folder + QStringLiteral("stationbanner.jpg");
    QString problem;
    Picture2->setPixmap(readBanner(bannerPath, problem));
    note(bannerPath, problem);

    note(links::mdlExtras::linksFilePath(folder), links_->loadMenuCaptions());

    const QString favouritesPath = folder + favourites::kFavouritesFileName;
    const favourites::Slots stations = favourites::readFavouritesFile(favouritesPath, &problem);
    note(favouritesPath, problem);
    Frame3->setNames(stations);
    for (int i = 0; i < favourites::kSlots; ++i)
        showInMenu(mnuMenu->mnuSta[i], stations[i].name);
    Frame3->setUrls(stations);
    for (const favourites::Station& s : stations)
        Frame5->Combo1->addItem(common::cleanRemoteText(s.name));

    const QString settingsPath = folder + kSettingsFileName;
    const Settings settings = readSettingsFile(settingsPath, &problem);
    note(settingsPath, problem);
    common::showText(Frame4->txtAbfavurl, settings.favouriteUrl);
    showFavouriteName(settings.favouriteName);
    common::showText(Frame4->txtAbfavname, settings.favouriteName);

    if (flagIsOn(settings.trayFlag)) {
        Frame4->chkAtray->setChecked(true);
        showOption(Frame5->lblAtraydisplay, true);
        cmdAddtray_Click();
    } else {
        Frame4->chkAtray->setChecked(false);
        showOption(Frame5->lblAtraydisplay, false);
    }

    if (flagIsOn(settings.streamFlag)) {
        parts_.player.setURL(settings.favouriteUrl);
        Frame4->chkAstream->setChecked(true);
        showOption(Frame5->lblAstreamdisplay, true);
        showInMenu(mnuMenu->mnuStats,
                   player::kStatusStreamingFavourite + Frame4->txtAbfavname->text());
        Frame5->Combo1->setEditText(common::cleanRemoteText(Frame4->txtAbfavname->text()));
    } else {
        Frame4->chkAstream->setChecked(false);
        showOption(Frame5->lblAstreamdisplay, false);
        Frame5->Combo1->setEditText(player::kPromptAtStartup);
    }

    if (Frame4->chkAtray->isChecked())
        cmdAddtray_Click();

    // Once, after the window is up: the message waits for the user, the window does not.
    if (!unreadable.isEmpty())
        QTimer::singleShot(0, this, [this, unreadable] {
            parts_.messages.show(
                this,
                tr("These data files could not be read, so the program started without what "
                   "they hold. They are left as they are and are not saved over.\n\n%1")
                    .arg(unreadable.join(QLatin1Char('\n'))),
                QStringLiteral("Korvant Lite"), platform::MessageBox::Icon::Warning);
        });
}

// ---- Start-up options and side panels -----------------------------------------------

void frmTANRO::showFavouriteName(const QString& name) {
    const QString shown = common::cleanRemoteText(name);
    Frame5->lblFavdisplay->setText(shown);
    Frame5->lblFavdisplay->setAccessibleName(shown);
}

void frmTANRO::setWidthTwips(int twips) {
    resize(platform::twipsToPixels(twips), height());
}

void frmTANRO::closeSidePanel() {
    setWidthTwips(kClosedWidth);
    mnuStartops->setChecked(false);
    mnuFavslist->setChecked(false);
}

void frmTANRO::reportSaveFailure(const QString& fileName, const QString& why) {
    parts_.messages.show(this,
                         tr("%1 could not be saved, so the file keeps its earlier contents.\n\n%2")
                             .arg(QDir::toNativeSeparators(parts_.dataFolder + fileName), why),
                         QStringLiteral("Korvant Lite"), platform::MessageBox::Icon::Warning);
}

void frmTANRO::Command1_Click() {
    const auto flag = [](QCheckBox* box, QLabel* display) {
        const bool on = box->isChecked();
        showOption(display, on);
        return flagText(on);
    };
    // The update option has no display on the main panel; its own label stays hidden.
    const QString updateFlag = flagText(Frame4->chkAutup->isChecked());
    const QString trayFlag = flag(Frame4->chkAtray, Frame5->lblAtraydisplay);
    const QString streamFlag = flag(Frame4->chkAstream, Frame5->lblAstreamdisplay);
    showFavouriteName(Frame4->txtAbfavname->text());

    const QString why = writeSettingsFile(parts_.dataFolder + kSettingsFileName,
                                          {Frame4->txtAbfavurl->text(), trayFlag, streamFlag,
                                           Frame4->txtAbfavname->text(), updateFlag});
    if (!why.isEmpty())
        reportSaveFailure(kSettingsFileName, why);
    closeSidePanel();
}

void frmTANRO::mnuStartops_Click() {
    if (!mnuStartops->isChecked()) {
        mnuStartops->setChecked(true);
        mnuFavslist->setChecked(false);
        Frame3->hide();
        setWidthTwips(kOpenWidth);
        Frame4->show();
    } else {
        mnuStartops->setChecked(false);
        setWidthTwips(kClosedWidth);
        Frame4->hide();
    }
}

void frmTANRO::mnuFavslist_Click() {
    if (!mnuFavslist->isChecked()) {
        mnuFavslist->setChecked(true);
        mnuStartops->setChecked(false);
        Frame3->show();
        Frame4->hide();
        setWidthTwips(kOpenWidth);
        Frame3->cmdSavefavs->setEnabled(true);
    } else {
        mnuFavslist->setChecked(false);
        setWidthTwips(kClosedWidth);
        Frame3->hide();
        Frame3->cmdSavefavs->setEnabled(false);
    }
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
    closeSidePanel();
}
void frmTANRO::Label31_Click() {
    closeSidePanel();
}

void frmTANRO::mnuElinks_Click() {
    closeSidePanel();
    links_->mnuElinks_Click();
}

void frmTANRO::mnuAbout_Click() {
    about_->mnuAbout_Click(this);
}

void frmTANRO::Command4_Click() {
    Label32->setText(common::cleanRemoteText(parts_.player.status()));
    Label32->show();
    Frame5->hide();
}

void frmTANRO::Label33_Click() {
    if (mnuSinfo->isChecked()) {
        mnuSinfo->setChecked(false);
        Label32->hide();
        Frame5->show();
        Label32->setText(common::cleanRemoteText(parts_.player.status()));
    } else {
        mnuSinfo->setChecked(true);
        Label32->show();
        Frame5->hide();
    }
}

// ---- Favourites ------------------------------------------------------------------------

void frmTANRO::cmdSavefavs_Click() {
    const favourites::Slots stations = Frame3->stations();
    const QString why = favourites::writeFavouritesFile(
        parts_.dataFolder + favourites::kFavouritesFileName, stations);
    if (!why.isEmpty())
        reportSaveFailure(favourites::kFavouritesFileName, why);
    QComboBox* combo = Frame5->Combo1;
    combo->clear();
    for (const favourites::Station& s : stations)
        combo->addItem(common::cleanRemoteText(s.name));
    combo->setEditText(player::kPromptAfterSave);
    // The tray's station entries play their slot's current address, so they show the
    // names just saved rather than the ones read at start-up.
    for (int i = 0; i < favourites::kSlots; ++i)
        showInMenu(mnuMenu->mnuSta[i], stations[i].name);
    setWidthTwips(kClosedWidth);
    mnuFavslist->setChecked(false);
}

// ---- Playback ----------------------------------------------------------------------------

void frmTANRO::Combo1_Click() {
    player::playPickedFavourite(*Frame5->Combo1, {Frame3->txtStaname, Frame3->txtStaurl},
                                parts_.player, Text2, Text3);
}

void frmTANRO::lblFavdisplay_Click() {
    parts_.player.setURL(Frame4->txtAbfavurl->text());
}

void frmTANRO::mnuSta_Click(int index) {
    player::playSlot(index, {Frame3->txtStaname, Frame3->txtStaurl}, parts_.player, *Frame5->Combo1,
                     *mnuMenu->mnuStats);
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
    mnuHide_Click();
    showInMenu(mnuMenu->mnuStats,
               tray::statusForTray(Frame5->Combo1->currentText(), parts_.player));
    const bool added = mdlTray_.AddTrayIcon(static_cast<std::uint32_t>(winId()),
                                            platform::IconHandles::handleFor(windowIcon()),
                                            kTrayTip, kTrayCallbackMessage);
    // Without a notification area there is no icon to come back through: keep the
    // window in reach instead of leaving the program hidden for good.
    if (!added && !mdlTray_.iconShown())
        tray::showNormal(this);
}

void frmTANRO::mnuShow_Click() {
    if (windowState() & Qt::WindowMinimized)
        tray::showNormal(this);
    mdlTray_.RemoveTrayIcon();
    tray::showNormal(this);
    mnuMenu->mnuPlaystop->setChecked(false);
    mnuMenu->mnuStats->setText(QString());
    mnuMenu->mnuPause->setChecked(false);
    mnuMenu->mnuMute1->setChecked(false);
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
        if (m->message == kTrayCallbackMessage)
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
    mdlTray_.RemoveTrayIcon();
    close();
    parts_.endProgram();
}

} // namespace app
