#include "app/main_window_controls.h"

#include "app/main_panel.h"
#include "app/startup_options_panel.h"
#include "common/click_label.h"
#include "favourites/favourites_editor.h"
#include "platform/placement.h"
#include "platform/player_view.h"
#include "platform/twips.h"
#include "tray/tray_menu.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>

namespace app {

namespace {

constexpr int kBelowClientArea = 5040;

// The captions are the window's own, translated under its name.
QString tr(const char* text) {
    return QCoreApplication::translate("app::frmTANRO", text);
}

// The focus policy a control below the client area has while the user has enlarged the
// window far enough to see it.
constexpr const char* kFocusPolicyInView = "korvantFocusPolicyInView";

} // namespace

void MainWindowControls::setupControls(QMainWindow& window, platform::MediaPlayer& player,
                                       platform::MessageBox& messages) {
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    buildClientArea(client, player, messages);
    buildControlsBelowClientArea(client);
    buildMenus(window);
}

void MainWindowControls::buildClientArea(QWidget* client, platform::MediaPlayer& player,
                                         platform::MessageBox& messages) {
    Picture2 = new QLabel(client);
    Picture2->setObjectName("Picture2");
    Picture2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture2->setAccessibleName(tr("Station banner"));
    platform::place(Picture2, 120, 0, 9015, 800);

    WindowsMediaPlayer1 = new platform::PlayerView(player, client);
    WindowsMediaPlayer1->setObjectName("WindowsMediaPlayer1");
    // The player stops where the main panel starts, so neither hides the other.
    WindowsMediaPlayer1->setGeometry(platform::twipsRect(120, 720, 9015, 1680 - 720));

    Frame5 = new MainPanel(player, messages, client);
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
}

void MainWindowControls::buildControlsBelowClientArea(QWidget* client) {
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
    for (QWidget* w : takingKeyboard())
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

void MainWindowControls::buildMenus(QMainWindow& window) {
    mnuSettings = window.menuBar()->addMenu(tr("&Tools"));
    mnuSettings->setObjectName("mnuSettings");
    mnuStartops = mnuSettings->addAction(tr("Start Up Options"));
    mnuFavslist = mnuSettings->addAction(tr("Favorite Stations List"));
    mnuFindStations = mnuSettings->addAction(tr("Find Stations"));
    mnuElinks = mnuSettings->addAction(tr("Links Menu"));
    mnuSttray = mnuSettings->addAction(tr("Send To Sys Tray"));
    mnuAbout = mnuSettings->addAction(tr("About Korvant"));
    mnuExit2 = mnuSettings->addAction(tr("Exit"));

    mnuPstuff = window.menuBar()->addMenu(QStringLiteral("PindleChat"));
    mnuPstuff->setObjectName("mnuPstuff");
    mnuLpstuff = mnuPstuff->addAction(QStringLiteral("Stuff"));
    mnuCupdates = mnuPstuff->addAction(QStringLiteral("Check for Updates"));
    mnuLumon = mnuPstuff->addAction(QStringLiteral("Start KeltUmon"));
    mnuLvimble = mnuPstuff->addAction(QStringLiteral("Launch Vimble"));
    mnuLname5 = mnuPstuff->addAction(QStringLiteral("..."));

    // Never on the menu bar: the tray's pop-up menu, and a menu of which only the
    // status view's state holder matters.
    mnuMenu = new tray::TrayMenu(&window);
    mnuTools = new QMenu(tr("T&ools"), &window);
    mnuSinfo = mnuTools->addAction(tr("Current Stream Info"));
    mnuSinfo->setCheckable(true);
}

std::vector<QWidget*> ControlsBelowClientArea::takingKeyboard() const {
    return {Command4, cmdExit, cmdFavseditor, cmdAddtray, Label33,
            Label39,  Label40, Label9,        Text2,      Text3};
}

void keepKeyboardToWhatIsInView(const ControlsBelowClientArea& controls, const QRect& view) {
    // The controls below the client area are shown, only out of sight: the toolkit would
    // still let Tab and their mnemonics reach them. They take the keyboard only while
    // the window is large enough to show them whole. Focus can still be put on them by
    // the program itself (the drop-down parks it there).
    for (QWidget* w : controls.takingKeyboard()) {
        const bool inView = view.contains(w->geometry());
        w->setFocusPolicy(inView ? w->property(kFocusPolicyInView).value<Qt::FocusPolicy>()
                                 : Qt::NoFocus);
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setShortcut(inView ? QKeySequence::mnemonic(b->text()) : QKeySequence());
    }
}

} // namespace app
