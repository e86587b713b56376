#include "app/main_panel.h"

#include "common/click_label.h"
#include "common/remote_text.h"
#include "platform/glyphs.h"
#include "platform/placement.h"
#include "player/stream_tester.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace app {

namespace {
QFont bold(QFont font) {
    font.setBold(true);
    return font;
}
} // namespace

MainPanel::MainPanel(platform::MediaPlayer& player, platform::MessageBox& messages, QWidget* parent)
    : QFrame(parent), Label34(new QLabel(tr("Now Streaming:"), this)), Combo1(new QComboBox(this)),
      Picture3(new common::ClickLabel(QString(), this)),
      Label18(new QLabel(tr("Favorite Station:"), this)),
      lblFavdisplay(new common::ClickLabel(QString(), this)),
      Label20(new QLabel(tr("Tray @ start-up is:"), this)), lblAtraydisplay(new QLabel(this)),
      Label22(new QLabel(tr("Stream @ start-up is:"), this)), lblAstreamdisplay(new QLabel(this)),
      tester(new player::StreamTester(this, player, messages)),
      Label48(new common::ClickLabel(tr("Tray"), this)),
      Label47(new common::ClickLabel(tr("Exit"), this)) {
    setObjectName("Frame5");
    Combo1->setObjectName("Combo1");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setAccessibleName(tr("Now Streaming"));
    // The text field inside the drop-down is what holds the focus and its text.
    Combo1->lineEdit()->setAccessibleName(Combo1->accessibleName());
    Label34->setBuddy(Combo1);

    Picture3->setObjectName("Picture3");
    Picture3->setPixmap(
        platform::glyphIcon(platform::Glyph::Help, palette().color(QPalette::Highlight))
            .pixmap(18, 18));
    Picture3->setToolTip(tr("Launch Help File"));
    Picture3->setAccessibleName(tr("Launch Help File"));

    lblFavdisplay->setObjectName("lblFavdisplay");
    lblFavdisplay->setToolTip(tr("Click to start."));
    lblAtraydisplay->setObjectName("lblAtraydisplay");
    lblAstreamdisplay->setObjectName("lblAstreamdisplay");
    // Placeholder captions until start-up shows the options.
    lblFavdisplay->setText(tr("Favorite"));
    lblAtraydisplay->setText(QStringLiteral("OFF"));
    lblAstreamdisplay->setText(QStringLiteral("OFF"));
    // The displays are read out as what they show ("ON" or "OFF"); the caption beside
    // each is its label, so it is not repeated as the display's name.
    Label20->setBuddy(lblAtraydisplay);
    Label22->setBuddy(lblAstreamdisplay);

    Label48->setObjectName("Label48");
    Label47->setObjectName("Label47");
    Label48->setFont(bold(Label48->font()));
    Label47->setFont(bold(Label47->font()));
    Label48->setToolTip(tr("Send To Sys Tray"));

    platform::place(Label34, 0, 35);
    platform::place(Combo1, 1680, 0, 7365, 315);
    platform::place(Picture3, 8760, 360, 270, 270);
    platform::place(Label18, 0, 476);
    platform::place(lblFavdisplay, 1680, 380, 6900, 300);
    platform::place(Label20, 0, 917);
    platform::place(lblAtraydisplay, 2160, 922, 600, 255);
    platform::place(Label22, 0, 1358);
    platform::place(lblAstreamdisplay, 2160, 1365, 600, 255);
    platform::place(Label48, 7440, 2520, 630, 360);
    platform::place(Label47, 8280, 2520, 540, 360);

    setTabOrder(Combo1, lblFavdisplay);
    setTabOrder(lblFavdisplay, Picture3);
    setTabOrder(Picture3, tester->lblTeststr);
    setTabOrder(tester->lblTeststr, tester->Text1);
    setTabOrder(tester->Text1, tester->cmdStreamtest);
    setTabOrder(tester->cmdStreamtest, Label48);
    setTabOrder(Label48, Label47);
}

void MainPanel::showFavouriteName(const QString& name) {
    const QString shown = common::cleanRemoteText(name);
    lblFavdisplay->setText(shown);
    lblFavdisplay->setAccessibleName(shown);
}

} // namespace app
