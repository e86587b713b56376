#include "app/startup_options_panel.h"

#include "common/click_label.h"
#include "platform/placement.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace app {

void showOption(QLabel* display, bool on) {
    display->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    QPalette pal = display->palette();
    pal.setColor(QPalette::WindowText, on ? QColor(0, 255, 0) : QColor(0, 0, 0));
    display->setPalette(pal);
}

StartupOptionsPanel::StartupOptionsPanel(QWidget* parent)
    : QGroupBox(tr("Start-Up Options:"), parent),
      Label19(new QLabel(tr("Note: These settings are applied at next start-up."), this)),
      chkAtray(new QCheckBox(this)),
      Label13(new QLabel(tr("Send application to system tray at start-up?"), this)),
      chkAstream(new QCheckBox(this)),
      Label14(new QLabel(tr("Auto-stream favorite station at start-up?"), this)),
      Label15(new QLabel(tr("Favorite Station Name:"), this)), txtAbfavname(new QLineEdit(this)),
      Label17(new QLabel(tr("Favorite Station URL:"), this)), txtAbfavurl(new QLineEdit(this)),
      chkAutup(new QCheckBox(this)),
      Label36(new QLabel(tr("Auto-check for updates at start-up?"), this)),
      Command1(new QPushButton(tr("Save Settings"), this)),
      Label12(new common::ClickLabel(tr("Close"), this)) {
    setObjectName("Frame4");
    setAccessibleName(title());
    // The panel sits 120 twips above the window's top edge; in this toolkit its caption
    // takes room of its own, so the controls are laid 120 twips lower to clear it.
    const int t = 120;
    platform::place(Label19, 165, t + 120, 4185, 165);
    platform::place(chkAtray, 480, t + 360, 255, 375);
    platform::place(Label13, 840, t + 420, 4425, 165);
    platform::place(chkAstream, 480, t + 720, 255, 375);
    platform::place(Label14, 840, t + 780, 4050, 165);
    platform::place(Label15, 120, t + 1140, 2235, 165);
    platform::place(txtAbfavname, 2400, t + 1080, 2775, 405);
    platform::place(Label17, 120, t + 1860, 2100, 165);
    platform::place(txtAbfavurl, 2400, t + 1800, 2775, 405);
    platform::place(chkAutup, 480, t + 3960, 255, 255);
    platform::place(Label36, 840, t + 3960, 3585, 165);
    platform::place(Command1, 3720, t + 4300, 1455, 405);
    platform::place(Label12, 2880, t + 4360, 495, 255);
    chkAutup->hide();
    Label36->hide();

    // The boxes show only their box: the question beside each is its own label, which
    // is also what a screen reader speaks for the box.
    chkAtray->setAccessibleName(Label13->text());
    chkAstream->setAccessibleName(Label14->text());
    chkAutup->setAccessibleName(Label36->text());
    txtAbfavname->setAccessibleName(Label15->text());
    txtAbfavurl->setAccessibleName(Label17->text());
    Label15->setBuddy(txtAbfavname);
    Label17->setBuddy(txtAbfavurl);
    Command1->setAccessibleName(Command1->text());
    QFont underlined = Label12->font();
    underlined.setUnderline(true);
    Label12->setFont(underlined);

    setTabOrder(chkAtray, chkAstream);
    setTabOrder(chkAstream, txtAbfavname);
    setTabOrder(txtAbfavname, txtAbfavurl);
    setTabOrder(txtAbfavurl, Command1);
    setTabOrder(Command1, Label12);
}

} // namespace app
