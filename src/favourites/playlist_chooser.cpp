#include "favourites/playlist_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QObject>

namespace favourites {

QString importFileFilter() {
    return QObject::tr("Playlists (*.m3u *.m3u8 *.pls *.xspf *.asx *.wax *.wvx);;All files (*)");
}

QString QtPlaylistChooser::fileToImport(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QObject::tr("Import Favorites"), QDir::homePath(),
                                        importFileFilter());
}

QString QtPlaylistChooser::addressToImport(QWidget* parent) {
    return QInputDialog::getText(parent, QObject::tr("Import Favorites"),
                                 QObject::tr("Address of the playlist (http or https):"));
}

std::optional<PlaylistChooser::Target> QtPlaylistChooser::fileToExport(QWidget* parent) {
    const QString m3u = QObject::tr("M3U playlist (*.m3u)");
    const QString pls = QObject::tr("PLS playlist (*.pls)");
    QFileDialog dialog(parent, QObject::tr("Export Favorites"),
                       QDir::home().filePath(QStringLiteral("favorites.m3u")),
                       m3u + QStringLiteral(";;") + pls);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an ending takes the chosen kind's, before the dialog asks
    // whether to replace a file of that name.
    dialog.setDefaultSuffix(QStringLiteral("m3u"));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, pls](const QString& filter) {
            dialog.setDefaultSuffix(filter == pls ? QStringLiteral("pls") : QStringLiteral("m3u"));
        });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    // The file's own ending decides; any other ending takes the chosen kind.
    const std::optional<playlists::Format> format = playlists::formatFromFileName(path);
    return Target{path,
                  format.value_or(dialog.selectedNameFilter() == pls ? playlists::Format::Pls
                                                                     : playlists::Format::M3u)};
}

} // namespace favourites
