#pragma once

#include <QPointer>
#include <QString>

class QWidget;

namespace platform {
class MessageBox;
class Shell;
} // namespace platform

namespace about {

class frmAbout;

// The About entry of the main window: one About dialog at most, shown without blocking.
class About {
public:
    // `messages`, when given, tells the user that the community site could not be
    // opened; without it such a failure goes unreported.
    About(platform::Shell& shell, QString communityHost, platform::MessageBox* messages = nullptr);
    ~About();
    About(const About&) = delete;
    About& operator=(const About&) = delete;

    // Shows the dialog, or brings the open one forward.
    void mnuAbout_Click(QWidget* owner);
    frmAbout* dialog() const;

private:
    platform::Shell& shell_;
    QString communityHost_;
    platform::MessageBox* messages_;
    QPointer<frmAbout> dialog_;
};

} // namespace about
