#pragma once

#include <QLineEdit>

namespace common {

// Puts loaded text into a field with its beginning in view. QLineEdit::setText leaves the
// cursor, and with it the view, at the end, which hides the scheme and host of a long
// stream address and the first letters of a long name.
inline void showText(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->home(false);
}

} // namespace common
