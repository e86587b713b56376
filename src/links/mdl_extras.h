#pragma once

#include <QString>
#include <QStringList>

namespace links {

class frmPindle;
struct LinksMenu;

// The links file: one quoted-field line of eleven fields, in the order of
// frmPindle::record(), in the data folder.
namespace mdlExtras {

inline constexpr int kLinksFieldCount = 11;

QString linksFilePath(const QString& dataFolder);

// Fills the eleven text boxes from the links file and copies the six captions to the
// links menu. A missing or short file gives empty texts for what it lacks; nothing is
// written. A file that cannot be read gives empty texts and leaves the menu as it is.
void LoadLinks(frmPindle& form);

// The links record as the file holds it: eleven texts, empty for what a missing or short
// file lacks. A file that exists but cannot be read gives empty texts, and `problem`
// says why.
QStringList ReadLinks(const QString& dataFolder, QString* problem = nullptr);

// Copies the six captions of a links record (menu name, then the five link names) to
// the links menu, each as MenuCaption gives it.
void SetMenuCaptions(const LinksMenu& menu, const QStringList& record);

// The menu caption that shows a name of the links record: its text as one line of plain
// text, with no '&' taken as a mnemonic.
QString MenuCaption(const QString& name);

// Replaces the links file with the eleven texts of the form. Returns an empty string on
// success, otherwise a sentence saying why the file could not be written.
QString SaveLinks(const frmPindle& form);

} // namespace mdlExtras
} // namespace links
