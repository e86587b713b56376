#include "platform/qt_folder_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace platform {

QString QtFolderChooser::chooseFolder(QWidget* parent, const QString& caption,
                                      const QString& start) {
    // A folder that is not there yet (the default one before the first recording) starts
    // the dialog at the nearest one that is.
    QDir from(start);
    while (!from.exists() && from.cdUp()) {
    }
    const QString chosen = QFileDialog::getExistingDirectory(parent, caption, from.absolutePath());
    return chosen.isEmpty() ? QString() : QDir::cleanPath(QDir(chosen).absolutePath());
}

} // namespace platform
