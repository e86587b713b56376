#pragma once

#include <QPointer>
#include <QString>
#include <array>

class QAction;
class QMenu;
class QWidget;

namespace platform {
class MessageBox;
class Shell;
class WebBrowserFactory;
} // namespace platform

namespace links {

class frmPindle;

// The main window's links menu. The six captions are copies of the links record, made
// when the record is loaded and when it is saved.
struct LinksMenu {
    QMenu* mnuPstuff;                // top-level menu, design caption "PindleChat"
    std::array<QAction*, 5> entries; // mnuLpstuff, mnuCupdates, mnuLumon, mnuLvimble, mnuLname5
};

// The links subsystem as the main window sees it. The links window exists at most once:
// any handler that needs it while it is not loaded loads it first, which reads the links
// file, renames the six menu captions and requests the first community page. A link
// opens only a web address (http or https); any other is refused with a message.
class Links {
public:
    Links(LinksMenu menu, QString dataFolder, platform::WebBrowserFactory& browsers,
          platform::Shell& shell, platform::MessageBox& messages);
    ~Links();
    Links(const Links&) = delete;
    Links& operator=(const Links&) = delete;

    // Start-up: gives the links menu the captions of the links file without making the
    // window, which is made (reading the file again) when it is first needed. Returns
    // why the file could not be read, or nothing; an unreadable file leaves the menu
    // as it is.
    QString loadMenuCaptions();
    void loadHidden();
    void mnuElinks_Click();
    void mnuLpstuff_Click();
    void mnuCupdates_Click();
    void mnuLumon_Click();
    void mnuLvimble_Click();
    void mnuLname5_Click();
    void mnuPstuff_Click();
    void Picture3_Click();
    void unload();

    frmPindle* form() const;

private:
    frmPindle& loaded();
    void openLink(int index);
    // The main window, which owns the links menu; messages are shown over it.
    QWidget* ownerWindow() const;

    LinksMenu menu_;
    QString dataFolder_;
    platform::WebBrowserFactory& browsers_;
    platform::Shell& shell_;
    platform::MessageBox& messages_;
    QPointer<frmPindle> form_;
};

} // namespace links
