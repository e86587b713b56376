#pragma once

#include "playlists/playlist_fetcher.h"

#include <QString>

namespace playlists {

// A maker that loads the korvant_playlists module from `folder` (by default the folder of
// the program file) and makes its fetcher (see playlists_module.h). The module is loaded
// when the maker is first called, and never unloaded.
FetcherMaker fetcherFromModule(QString userAgent, QString folder = {});

} // namespace playlists
