#pragma once

#include "playlists/playlist_fetcher.h"

#include <QObject>
#include <memory>

namespace platform {
class MessageBox;
}

namespace favourites {

class FavouritesEditor;
class PlaylistChooser;

// The favourites editor's "Import…" and "Export…": the ten slots from a playlist file or
// address, and the favourites that have an address to an M3U or PLS file. An import only
// fills the fields, as typing would; nothing reaches the favourites file until Save List.
// A playlist that cannot be used is reported in words and leaves the fields as they were.
class PlaylistTransfer final : public QObject {
public:
    // `fetchers` makes the fetcher for web addresses, once, at the first import from one.
    PlaylistTransfer(FavouritesEditor& editor, PlaylistChooser& chooser,
                     platform::MessageBox& messages, playlists::FetcherMaker fetchers);
    ~PlaylistTransfer() override;

    // What the editor's "Import…" entries and "Export…" do (connected here): ask the
    // chooser, then read or write.
    void importFromFile();
    void importFromAddress();
    void exportToFile();

    // A fetch from an address is under way ("Import…" waits for it).
    bool isFetching() const { return fetching_; }

private:
    void importPath(const QString& path);
    void importAddress(const QString& text);
    void apply(const QByteArray& body, const QString& contentType, const QUrl& base,
               const QString& source);
    void tell(const QString& text, bool warning);
    void setFetching(bool fetching);

    FavouritesEditor& editor_;
    PlaylistChooser& chooser_;
    platform::MessageBox& messages_;
    playlists::FetcherMaker makeFetcher_;
    std::unique_ptr<playlists::Fetcher> fetcher_;
    bool fetching_ = false;
};

} // namespace favourites
