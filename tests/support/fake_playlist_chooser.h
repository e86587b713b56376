#pragma once

// The favourites editor's playlist chooser for offscreen tests: answers with what the test
// set and counts the questions, where the program would open a modal dialog.
#include "favourites/playlist_chooser.h"

namespace testsupport {

class FakePlaylistChooser final : public favourites::PlaylistChooser {
public:
    QString importFile;
    QString importAddress;
    std::optional<Target> exportTarget;
    int asked = 0;

    QString fileToImport(QWidget*) override { return ++asked, importFile; }
    QString addressToImport(QWidget*) override { return ++asked, importAddress; }
    std::optional<Target> fileToExport(QWidget*) override { return ++asked, exportTarget; }
};

} // namespace testsupport
