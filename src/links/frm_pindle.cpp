#include "links/frm_pindle.h"

#include "common/click_label.h"
#include "common/text_field.h"
#include "links/community_pages.h"
#include "links/mdl_extras.h"
#include "platform/message_box.h"
#include "platform/placement.h"
#include "platform/twips.h"
#include "platform/web_browser.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace links {

namespace {

// Rows of the editor, in twips inside the frame.
constexpr int kFirstRowTop = 360;
constexpr int kRowPitch = 720;
constexpr int kRowHeight = 315;

} // namespace

frmPindle::frmPindle(LinksMenu menu, QString dataFolder, platform::WebBrowserFactory& browsers,
                     platform::MessageBox& messages)
    : QWidget(nullptr), menu_(menu), dataFolder_(std::move(dataFolder)), messages_(messages) {
    setObjectName(QStringLiteral("frmPindle"));
    setWindowTitle(tr("Pindle Stuff"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(platform::twipsToPixels(12210), platform::twipsToPixels(5910));

    fraSets = new QGroupBox(tr(" Settings "), this);
    fraSets->setObjectName(QStringLiteral("fraSets"));
    fraSets->setAccessibleName(tr("Links settings"));
    fraSets->setGeometry(platform::twipsRect(240, 0, 11775, 5775));

    txtMname =
        addField(QStringLiteral("txtMname"), tr("Menu Caption Text :"), tr("Menu caption text"),
                 QStringLiteral("Pindle Chat Links"), 240, 1800, 2160, 3600, kFirstRowTop);
    QLineEdit** names[] = {&txtLname1, &txtLname2, &txtLname3, &txtLname4, &txtLname5};
    QLineEdit** urls[] = {&txtUrl1, &txtUrl2, &txtUrl3, &txtUrl4, &txtUrl5};
    for (int i = 0; i < 5; ++i) {
        const QString n = QString::number(i + 1);
        const int top = kFirstRowTop + (i + 1) * kRowPitch;
        *names[i] = addField(QStringLiteral("txtLname") + n, tr("#%1 Link Name").arg(n),
                             tr("Link %1 name").arg(n), QStringLiteral("Link Name ") + n, 240, 1200,
                             1560, 2760, top);
        *urls[i] =
            addField(QStringLiteral("txtUrl") + n, tr("Link Url:"), tr("Link %1 address").arg(n),
                     QStringLiteral("Text1"), 4560, 840, 5520, 6000, top);
    }

    cmdSlinks = new QPushButton(tr("Save"), fraSets);
    cmdSlinks->setObjectName(QStringLiteral("cmdSlinks"));
    cmdSlinks->setAccessibleName(tr("Save links"));
    platform::place(cmdSlinks, 8760, 4920, 1215, 495);
    connect(cmdSlinks, &QPushButton::clicked, this, [this] { cmdSlinks_Click(); });

    Label1 = new common::ClickLabel(tr("Close"), fraSets);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleName(tr("Close links window"));
    platform::place(Label1, 10320, 5010, 900, 300);
    connect(Label1, &common::ClickLabel::clicked, this, [this] { Label1_Click(); });

    // Out of view to the right of the client area: the list is reached only through
    // its handler.
    cmbPindle = new QComboBox(this);
    cmbPindle->setObjectName(QStringLiteral("cmbPindle"));
    cmbPindle->setAccessibleName(tr("Community pages"));
    platform::place(cmbPindle, 13680, 0, 2400, 315);
    cmbPindle->hide();
    connect(cmbPindle, &QComboBox::activated, this, [this] { cmbPindle_Click(); });

    WebBrowser2 = browsers.create(this);
    WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
    WebBrowser2->setGeometry(platform::twipsRect(240, 0, 11775, 5535));
    showEditorView();
}

QLineEdit* frmPindle::addField(const QString& name, const QString& label, const QString& accessible,
                               const QString& text, int labelLeft, int labelWidth, int fieldLeft,
                               int fieldWidth, int top) {
    auto* field = new QLineEdit(text, fraSets);
    field->setObjectName(name);
    field->setAccessibleName(accessible);
    platform::place(field, fieldLeft, top - 30, fieldWidth, kRowHeight);
    auto* caption = new QLabel(label, fraSets);
    caption->setBuddy(field);
    platform::place(caption, labelLeft, top, labelWidth, kRowHeight - 60);
    return field;
}

void frmPindle::Form_Load() {
    mdlExtras::LoadLinks(*this);
    for (const CommunityPage& page : communityPages())
        cmbPindle->addItem(page.text);
    WebBrowser2->Navigate(communityPages()[0].address);
}

void frmPindle::cmdSlinks_Click() {
    const QString failure = mdlExtras::SaveLinks(*this);
    if (!failure.isEmpty()) {
        // The record stays in the open editor and the menu keeps the captions that the
        // file still holds, so the user can put things right and save again.
        messages_.show(this,
                       tr("The links could not be saved to %1.\n%2\nThe links menu is unchanged.")
                           .arg(mdlExtras::linksFilePath(dataFolder_), failure),
                       windowTitle(), platform::MessageBox::Icon::Warning);
        return;
    }
    setMenuCaptions();
    hide();
}

void frmPindle::Label1_Click() {
    close();
}

void frmPindle::cmbPindle_Click() {
    const QString text = cmbPindle->currentText();
    for (const CommunityPage& page : communityPages()) {
        if (text == page.text)
            WebBrowser2->Navigate(page.address);
    }
    WebBrowser2->requestFocus();
}

void frmPindle::showEditorView() {
    WebBrowser2->hide();
    fraSets->show();
}

void frmPindle::showBrowserView() {
    fraSets->hide();
    WebBrowser2->show();
}

QStringList frmPindle::record() const {
    QStringList fields{txtMname->text()};
    for (QLineEdit* field : nameFields())
        fields << field->text();
    for (QLineEdit* field : urlFields())
        fields << field->text();
    return fields;
}

void frmPindle::setRecord(const QStringList& fields) {
    const auto at = [&fields](int i) { return i < fields.size() ? fields.at(i) : QString(); };
    common::showText(txtMname, at(0));
    const auto names = nameFields();
    const auto urls = urlFields();
    for (int i = 0; i < 5; ++i) {
        common::showText(names[i], at(1 + i));
        common::showText(urls[i], at(6 + i));
    }
}

void frmPindle::setMenuCaptions() {
    mdlExtras::SetMenuCaptions(menu_, record());
}

std::array<QLineEdit*, 5> frmPindle::nameFields() const {
    return {txtLname1, txtLname2, txtLname3, txtLname4, txtLname5};
}

std::array<QLineEdit*, 5> frmPindle::urlFields() const {
    return {txtUrl1, txtUrl2, txtUrl3, txtUrl4, txtUrl5};
}

void frmPindle::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit unloaded();
}

} // namespace links
