#pragma once

// The boundary between the program and the korvant_playlists module, the only part of the
// program's playlist import that links Qt Network. The module exports one C function,
// found by name after QLibrary loads it: it makes a playlist fetcher that sends
// `userAgent` with every request, and returns it (never null); the caller owns it and
// drives it only through Fetcher's virtual functions.

namespace playlists {
class Fetcher;
}

namespace playlists::playlists_module {

inline constexpr const char* kCreateFetcherSymbol = "korvant_playlists_create_fetcher";
using CreateFetcher = Fetcher* (*)(const char* userAgent);

} // namespace playlists::playlists_module
