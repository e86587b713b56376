#pragma once

#include <QString>

namespace links {

class frmPindle;

// The links file: one quoted-field line of eleven fields, in the order of
// frmPindle::record(), in the data folder.
namespace mdlExtras {

inline constexpr int kLinksFieldCount = 11;

QString linksFilePath(const QString& dataFolder);

// Fills the eleven text boxes from the links file and copies the six captions to the
// links menu. A missing or short file gives empty texts for what it lacks; nothing is
// written.
void LoadLinks(frmPindle& form);

// Replaces the links file with the eleven texts of the form. Returns an empty string on
// success, otherwise a sentence saying why the file could not be written.
QString SaveLinks(const frmPindle& form);

} // namespace mdlExtras
} // namespace links
