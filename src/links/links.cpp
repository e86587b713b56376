#include "links/links.h"

#include "links/frm_pindle.h"
#include "links/mdl_extras.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/web_browser.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace links {

Links::Links(LinksMenu menu, QString dataFolder, platform::WebBrowserFactory& browsers,
             platform::Shell& shell, platform::MessageBox& messages)
    : menu_(menu), dataFolder_(std::move(dataFolder)), browsers_(browsers), shell_(shell),
      messages_(messages) {
    if (!dataFolder_.isEmpty() && !dataFolder_.endsWith(QLatin1Char('/')))
        dataFolder_ += QLatin1Char('/');
}

Links::~Links() {
    delete form_.data();
}

frmPindle* Links::form() const {
    return form_.data();
}

frmPindle& Links::loaded() {
    if (form_ == nullptr) {
        auto* form = new frmPindle(menu_, dataFolder_, browsers_, messages_);
        // Closing the window unloads it; the next touch makes a new one.
        QObject::connect(form, &frmPindle::unloaded, form, [this, form] {
            if (form_ == form)
                form_ = nullptr;
        });
        form_ = form;
        form->Form_Load();
    }
    return *form_;
}

void Links::loadMenuCaptions() {
    if (form_ != nullptr)
        return; // the open window's captions are the ones shown
    mdlExtras::SetMenuCaptions(menu_, mdlExtras::ReadLinks(dataFolder_));
}

void Links::loadHidden() {
    loaded().hide();
}

void Links::mnuElinks_Click() {
    frmPindle& form = loaded();
    form.showEditorView();
    form.show();
    form.raise();
    form.activateWindow();
}

// An entry opens its link only while its caption still is the saved name of that link:
// a name edited and not yet saved disables the entry until it is saved or dropped.
void Links::openLink(int index) {
    frmPindle& form = loaded();
    if (mdlExtras::MenuCaption(form.nameFields()[index]->text()) != menu_.entries[index]->text())
        return;
    form.WebBrowser2->Navigate2(form.urlFields()[index]->text());
    form.show();
    form.showBrowserView();
    form.raise();
    form.activateWindow();
}

void Links::mnuLpstuff_Click() {
    openLink(0);
}
void Links::mnuCupdates_Click() {
    openLink(1);
}
void Links::mnuLumon_Click() {
    openLink(2);
}
void Links::mnuLvimble_Click() {
    openLink(3);
}
void Links::mnuLname5_Click() {
    openLink(4);
}

void Links::mnuPstuff_Click() {}

void Links::Picture3_Click() {
    const QString helpFile = dataFolder_ + QStringLiteral("help.txt");
    if (shell_.execute(QStringLiteral("notepad.exe ") + helpFile, platform::SW_SHOWNORMAL))
        return;
    QWidget* owner = menu_.mnuPstuff != nullptr ? menu_.mnuPstuff->parentWidget() : nullptr;
    messages_.show(owner != nullptr ? owner->window() : nullptr,
                   QObject::tr("The help file %1 could not be opened.").arg(helpFile),
                   QObject::tr("Help"), platform::MessageBox::Icon::Warning);
}

void Links::unload() {
    frmPindle* form = form_.data();
    form_ = nullptr;
    if (form != nullptr) {
        form->close();
        delete form;
    }
}

} // namespace links
