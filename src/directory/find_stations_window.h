#pragma once

#include "directory/directory_client.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace directory {

// What the window asks of the program around it.
struct FindStationsHooks {
    // Makes the directory client at the first search; null with the reason in *error when
    // the directory cannot be used at all.
    ClientMaker makeClient;
    // Plays an address now without storing it.
    std::function<void(const QString& address)> play;
    // The ten favourite slots' names as they stand in the editor.
    std::function<QStringList()> slotNames;
    // Writes a station into a favourite slot (0-based) of the editor, unsaved.
    std::function<void(int slot, const QString& name, const QString& address)> putInSlot;
};

// The "Find Stations" window: searches the community directory as the user types (after a
// short pause, never blocking; a new search abandons the one in flight), lists at most one
// page of results by popularity, and plays a result or puts it into a favourite slot.
// Everything from the directory is shown as plain text.
class FindStationsWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTypingPauseMs = 300;

    explicit FindStationsWindow(FindStationsHooks hooks, QWidget* parent = nullptr);
    ~FindStationsWindow() override;

    // Searches for what the fields hold now, from the first result, without the pause.
    void searchNow();
    void showNextPage();
    void showPreviousPage();
    void playSelected();
    void putSelectedInSlot(int slot);
    // The stations listed, in the list's order.
    const QList<Station>& stations() const { return stations_; }
    bool isSearching() const { return searching_; }

    QLineEdit* txtName;
    QLineEdit* txtTag;
    QLineEdit* txtCountry;
    QLineEdit* txtLanguage;
    QLineEdit* txtCodec;
    QTreeWidget* lstResults;
    QLabel* lblStatus;
    QPushButton* cmdPrevious;
    QPushButton* cmdNext;
    QPushButton* cmdPlay;
    QPushButton* cmdPutInSlot;
    QMenu* mnuSlots;

private:
    void typed();
    void search(const SearchQuery& query);
    void showAnswer(const SearchQuery& query, const SearchAnswer& answer);
    void selectionChanged();
    void fillSlotMenu();
    const Station* selected() const;
    SearchQuery fieldsQuery() const;
    void setStatus(const QString& text);

    FindStationsHooks hooks_;
    std::unique_ptr<DirectoryClient> client_;
    QString clientError_;
    bool clientTried_ = false;
    QTimer* typing_;
    QList<Station> stations_;
    SearchQuery shown_;
    bool more_ = false;
    bool searching_ = false;
};

} // namespace directory
