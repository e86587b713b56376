#include "platform/qt_folder_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace platform {

QString QtFolderChooser::chooseFolder(QWidget* parent, const QString& caption,
                                      const QString& start) {
    // A folder that is not there yet (the default one before the first recording) starts
    // the dialog at the nearest one that is.
    QString from = QDir::cleanPath(QDir(start).absolutePath());
    while (!QFileInfo(from).isDir() && !QDir(from).isRoot())
        from = QFileInfo(from).path();
    const QString chosen = QFileDialog::getExistingDirectory(parent, caption, from);
    return chosen.isEmpty() ? QString() : QDir::cleanPath(QDir(chosen).absolutePath());
}

} // namespace platform
