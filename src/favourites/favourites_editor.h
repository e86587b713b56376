#pragma once

#include "favourites/favourites_file.h"

#include <QGroupBox>
#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace common {
class ClickLabel;
}

namespace favourites {

// The favourites editor panel: the twenty fields are the ten favourite stations (there is
// no other copy of the list), "Save List" and a "Close" label, and below the names
// "Import…" (from a playlist file or address) and "Export…" (to a playlist file). The
// window that hosts the panel decides what saving, closing and the playlists do.
class FavouritesEditor : public QGroupBox {
    Q_OBJECT
public:
    explicit FavouritesEditor(QWidget* parent = nullptr);

    Slots stations() const;
    // Start-up fills the fields from the file: names first, then addresses.
    void setNames(const Slots& stations);
    void setUrls(const Slots& stations);
    // Writes one slot's fields (0-based), unsaved, as if the user had typed them.
    void fillSlot(int slot, const QString& name, const QString& url);

    std::array<QLineEdit*, kSlots> txtStaname{};
    std::array<QLineEdit*, kSlots> txtStaurl{};
    QLabel* Label21;
    QLabel* Label43;
    QPushButton* cmdSavefavs;
    common::ClickLabel* Label31;
    // "Import…" opens a menu of its two sources.
    QPushButton* cmdImport;
    QAction* mnuImportFile;
    QAction* mnuImportAddress;
    QPushButton* cmdExport;
};

} // namespace favourites
