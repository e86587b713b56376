#include "playlists/playlist_fetcher_loader.h"

#include "common/module_library.h"
#include "playlists/playlists_module.h"

namespace playlists {

FetcherMaker fetcherFromModule(QString userAgent, QString folder) {
    return [userAgent = std::move(userAgent),
            folder = std::move(folder)](QString* error) -> std::unique_ptr<Fetcher> {
        const auto create = reinterpret_cast<playlists_module::CreateFetcher>(
            common::moduleFunction(QStringLiteral(KORVANT_PLAYLISTS_MODULE_NAME), folder,
                                   playlists_module::kCreateFetcherSymbol, error));
        if (create == nullptr)
            return nullptr;
        return std::unique_ptr<Fetcher>(create(userAgent.toUtf8().constData()));
    };
}

} // namespace playlists
