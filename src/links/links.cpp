#include "links/links.h"

#include "links/frm_pindle.h"
#include "links/mdl_extras.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/web_browser.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QUrl>

namespace links {

namespace {

// A link opens a web page or nothing: an address with another scheme would run code in
// the page the browser shows (javascript:), show local files (file:) or content made up
// by whoever wrote the links file (data:). An empty address opens a blank page.
bool opensAsWebPage(const QString& address) {
    if (address.trimmed().isEmpty())
        return true;
    const QUrl url = QUrl::fromUserInput(address);
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// Long enough to recognise the address, short enough for a message box.
QString shortened(const QString& text) {
    constexpr int kShown = 120;
    if (text.size() <= kShown)
        return text;
    const int cut = text.at(kShown - 1).isHighSurrogate() ? kShown - 1 : kShown;
    return text.left(cut) + QChar(0x2026);
}

} // namespace

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

QString Links::loadMenuCaptions() {
    if (form_ != nullptr)
        return {}; // the open window's captions are the ones shown
    QString problem;
    const QStringList record = mdlExtras::ReadLinks(dataFolder_, &problem);
    // Empty captions would take the links menu off the menu bar.
    if (problem.isEmpty())
        mdlExtras::SetMenuCaptions(menu_, record);
    return problem;
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
    const QString name = form.nameFields()[index]->text();
    if (mdlExtras::MenuCaption(name) != menu_.entries[index]->text())
        return;
    const QString address = form.urlFields()[index]->text();
    if (!opensAsWebPage(address)) {
        messages_.show(ownerWindow(),
                       QObject::tr("Link %1 (\"%2\") was not opened: its address \"%3\" "
                                   "is not a web address.\nOnly addresses starting with "
                                   "http:// or https:// are opened.")
                           .arg(QString::number(index + 1), shortened(name), shortened(address)),
                       QObject::tr("Links"), platform::MessageBox::Icon::Warning);
        return;
    }
    form.WebBrowser2->Navigate2(address);
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
    messages_.show(ownerWindow(),
                   QObject::tr("The help file %1 could not be opened.").arg(helpFile),
                   QObject::tr("Help"), platform::MessageBox::Icon::Warning);
}

QWidget* Links::ownerWindow() const {
    QWidget* owner = menu_.mnuPstuff != nullptr ? menu_.mnuPstuff->parentWidget() : nullptr;
    return owner != nullptr ? owner->window() : nullptr;
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
