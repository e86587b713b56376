#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace common {
class ClickLabel;
}

namespace platform {
class MessageBox;
class Shell;
} // namespace platform

namespace about {

// The About dialog: title, version, this edition's description and the community site's
// name, which opens the site's home page. Closing it destroys it.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    frmAbout(platform::Shell& shell, QString communityHost, platform::MessageBox* messages,
             QWidget* owner);

    void Form_Load();
    void cmdOK_Click();
    void Label41_Click();

    // The command line handed to the shell by a click on the site's name.
    QString siteCommandLine() const;

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QFrame* Line1;
    QPushButton* cmdOK;
    QLabel* Label42;
    common::ClickLabel* Label41;
    QLabel* Image1;

private:
    platform::Shell& shell_;
    QString communityHost_;
    platform::MessageBox* messages_;
};

} // namespace about
