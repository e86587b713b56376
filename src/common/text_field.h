#pragma once

#include "common/remote_text.h"

#include <QAction>
#include <QLineEdit>

namespace common {

// Puts loaded text into a field with its beginning in view. QLineEdit::setText leaves the
// cursor, and with it the view, at the end, which hides the scheme and host of a long
// stream address and the first letters of a long name.
inline void showText(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->home(false);
}

// Menu entries that show names from the data files or a station's words: one line of
// plain text in which an '&' is itself.
inline void showInMenu(QAction* entry, const QString& text) {
    entry->setText(menuCaption(cleanRemoteText(text)));
}

} // namespace common
