#include "platform/qt_message_box.h"

#include <QMessageBox>

namespace platform {

void QtMessageBox::show(QWidget* parent, const QString& prompt, const QString& caption, Icon icon) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                    prompt, QMessageBox::Ok, parent);
    // Prompts name files and carry reasons given by servers and files: never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace platform
