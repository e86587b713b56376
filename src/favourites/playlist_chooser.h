#pragma once

// Where the favourites editor's playlists come from and go: asked of the user through
// this interface, so that the offscreen tests answer with a fake instead of a modal dialog.

#include "playlists/playlist_writer.h"

#include <QString>
#include <optional>

class QWidget;

namespace favourites {

class PlaylistChooser {
public:
    struct Target {
        QString path;
        playlists::Format format;
    };
    virtual ~PlaylistChooser() = default;
    // A playlist file to read; empty when the user gives up.
    virtual QString fileToImport(QWidget* parent) = 0;
    // A web address to read a playlist from, as typed; empty when the user gives up.
    virtual QString addressToImport(QWidget* parent) = 0;
    // The file to write and its format; none when the user gives up.
    virtual std::optional<Target> fileToExport(QWidget* parent) = 0;
};

// The file dialog's filter for Import…: first the endings of every kind of playlist that
// the import reads, then all files.
QString importFileFilter();

// The desktop's file dialogs and a one-line address prompt.
class QtPlaylistChooser final : public PlaylistChooser {
public:
    QString fileToImport(QWidget* parent) override;
    QString addressToImport(QWidget* parent) override;
    std::optional<Target> fileToExport(QWidget* parent) override;
};

} // namespace favourites
