#include "favourites/playlist_transfer.h"

#include "common/data_folder.h"
#include "common/quoted_fields.h"
#include "common/remote_text.h"
#include "favourites/favourites_editor.h"
#include "favourites/playlist_chooser.h"
#include "favourites/playlist_import.h"
#include "platform/message_box.h"
#include "playlists/playlist.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace favourites {

namespace {

const QString kCaption = QStringLiteral("Korvant Lite");

QString unchanged(const QString& what) {
    return what + QStringLiteral("\n\nThe favorites are as they were.");
}

} // namespace

PlaylistTransfer::PlaylistTransfer(FavouritesEditor& editor, PlaylistChooser& chooser,
                                   platform::MessageBox& messages, playlists::FetcherMaker fetchers)
    : editor_(editor), chooser_(chooser), messages_(messages), makeFetcher_(std::move(fetchers)) {
    connect(editor.mnuImportFile, &QAction::triggered, this, &PlaylistTransfer::importFromFile);
    connect(editor.mnuImportAddress, &QAction::triggered, this,
            &PlaylistTransfer::importFromAddress);
    connect(editor.cmdExport, &QPushButton::clicked, this, &PlaylistTransfer::exportToFile);
}

PlaylistTransfer::~PlaylistTransfer() = default;

void PlaylistTransfer::tell(const QString& text, bool warning) {
    messages_.show(&editor_, text, kCaption,
                   warning ? platform::MessageBox::Icon::Warning
                           : platform::MessageBox::Icon::None);
}

void PlaylistTransfer::setFetching(bool fetching) {
    fetching_ = fetching;
    editor_.cmdImport->setEnabled(!fetching);
}

void PlaylistTransfer::importFromFile() {
    const QString path = chooser_.fileToImport(&editor_);
    if (!path.isEmpty())
        importPath(path);
}

void PlaylistTransfer::importFromAddress() {
    const QString text = chooser_.addressToImport(&editor_);
    if (!text.trimmed().isEmpty())
        importAddress(text);
}

void PlaylistTransfer::importPath(const QString& path) {
    const QString name = common::cleanRemoteText(QDir::toNativeSeparators(path));
    // One byte over the cap tells a file too large from one that just fits.
    const common::FileBytes file = common::readDataFileBytes(path, playlists::maxBodyBytes + 1);
    if (file.state == common::FileBytes::State::Missing) {
        tell(unchanged(QStringLiteral("There is no playlist file %1.").arg(name)), true);
        return;
    }
    if (file.state == common::FileBytes::State::Unreadable) {
        tell(
            unchanged(QStringLiteral("The playlist %1 could not be read: %2.").arg(name, file.why)),
            true);
        return;
    }
    apply(file.bytes, QString(), QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()), name);
}

void PlaylistTransfer::importAddress(const QString& text) {
    const QString name = common::cleanRemoteText(text.trimmed(), 200);
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty()) {
        tell(unchanged(QStringLiteral("%1 is not a web address: a playlist can be read from an "
                                      "http or https address, or from a file.")
                           .arg(name)),
             true);
        return;
    }
    if (fetcher_ == nullptr) {
        QString error;
        fetcher_ = makeFetcher_ ? makeFetcher_(&error) : nullptr;
        if (fetcher_ == nullptr) {
            tell(unchanged(
                     QStringLiteral("Playlists cannot be read from web addresses: %1")
                         .arg(error.isEmpty() ? QStringLiteral("no way to fetch them") : error)),
                 true);
            return;
        }
    }
    setFetching(true);
    fetcher_->fetch(url, [this, name](const playlists::Fetched& fetched) {
        setFetching(false);
        if (!fetched.error.isEmpty()) {
            tell(unchanged(QStringLiteral("The playlist at %1 could not be read: %2")
                               .arg(name, common::cleanRemoteText(fetched.error, 300))),
                 true);
            return;
        }
        apply(fetched.body, fetched.contentType, fetched.url, name);
    });
}

void PlaylistTransfer::apply(const QByteArray& body, const QString& contentType, const QUrl& base,
                             const QString& source) {
    const PlaylistImport import = slotsFromPlaylist(body, contentType, base);
    if (!import.stations) {
        tell(unchanged(
                 QStringLiteral("%1 cannot be used as favorites: %2.").arg(source, import.problem)),
             true);
        return;
    }
    for (int i = 0; i < kSlots; ++i)
        editor_.fillSlot(i, (*import.stations)[i].name, (*import.stations)[i].url);
    tell(importedSummary(import, source), false);
}

void PlaylistTransfer::exportToFile() {
    std::vector<playlists::Station> stations;
    for (const Station& s : editor_.stations())
        if (!s.url.trimmed().isEmpty())
            stations.push_back({s.name, s.url});
    if (stations.empty()) {
        tell(QStringLiteral("No favorite has a stream address, so there is nothing to export."),
             false);
        return;
    }
    const std::optional<PlaylistChooser::Target> target = chooser_.fileToExport(&editor_);
    if (!target)
        return;
    const QString why = common::saveFileAtomically(
        target->path, playlists::writePlaylist(target->format, stations));
    if (!why.isEmpty())
        tell(QStringLiteral("The playlist %1 could not be written; nothing was changed "
                            "there.\n\n%2")
                 .arg(QDir::toNativeSeparators(target->path), why),
             true);
}

} // namespace favourites
