#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace common {
class ClickLabel;
}

namespace app {

// Shows an option's state: "ON" in pure green or "OFF" in black.
void showOption(QLabel* display, bool on);

// The start-up options panel. Its controls are the only in-memory copy of the options;
// the window that hosts it decides what "Save Settings" and "Close" do.
class StartupOptionsPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit StartupOptionsPanel(QWidget* parent = nullptr);

    QLabel* Label19;
    QCheckBox* chkAtray;
    QLabel* Label13;
    QCheckBox* chkAstream;
    QLabel* Label14;
    QLabel* Label15;
    QLineEdit* txtAbfavname;
    QLabel* Label17;
    QLineEdit* txtAbfavurl;
    QCheckBox* chkAutup; // never shown
    QLabel* Label36;     // never shown
    QPushButton* Command1;
    common::ClickLabel* Label12;
};

} // namespace app
