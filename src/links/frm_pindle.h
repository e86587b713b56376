#pragma once

#include "links/links.h"

#include <QStringList>
#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform {
class MessageBox;
class WebBrowser;
class WebBrowserFactory;
} // namespace platform

namespace common {
class ClickLabel;
}

namespace links {

// The links window: in its editor view the frame fraSets with the eleven texts of the
// links record, in its browser view the browser WebBrowser2 in the same place. While the
// window is loaded its text boxes are the links record; there is no other copy.
// Closing the window (its "Close" label or the title bar) unloads it: it is destroyed
// and the owner makes a new one, which reads the file afresh, the next time it is needed.
class frmPindle final : public QWidget {
    Q_OBJECT
public:
    frmPindle(LinksMenu menu, QString dataFolder, platform::WebBrowserFactory& browsers,
              platform::MessageBox& messages);

    void Form_Load();
    void cmdSlinks_Click();
    void Label1_Click();
    void cmbPindle_Click();

    void showEditorView();
    void showBrowserView();

    // The record in file order: menu caption, five names, five addresses.
    QStringList record() const;
    void setRecord(const QStringList& fields);
    // Copies the menu caption and the five names to the main window's links menu.
    void setMenuCaptions();

    std::array<QLineEdit*, 5> nameFields() const;
    std::array<QLineEdit*, 5> urlFields() const;
    const QString& dataFolder() const { return dataFolder_; }

    QGroupBox* fraSets;
    QLineEdit* txtMname;
    QLineEdit* txtLname1;
    QLineEdit* txtLname2;
    QLineEdit* txtLname3;
    QLineEdit* txtLname4;
    QLineEdit* txtLname5;
    QLineEdit* txtUrl1;
    QLineEdit* txtUrl2;
    QLineEdit* txtUrl3;
    QLineEdit* txtUrl4;
    QLineEdit* txtUrl5;
    QPushButton* cmdSlinks;
    common::ClickLabel* Label1;
    QComboBox* cmbPindle;
    platform::WebBrowser* WebBrowser2;

signals:
    // The window has been closed and is about to be destroyed.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* addField(const QString& name, const QString& label, const QString& accessible,
                        const QString& text, int labelLeft, int labelWidth, int fieldLeft,
                        int fieldWidth, int top);

    LinksMenu menu_;
    QString dataFolder_;
    platform::MessageBox& messages_;
};

} // namespace links
