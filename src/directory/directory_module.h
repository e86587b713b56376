#pragma once

// The boundary between the program and the korvant_directory module, the only part of the
// program's directory search that links Qt Network. The module exports one C function,
// found by name after QLibrary loads it.
//
// The function makes a directory client and returns it (never null); the caller owns it
// and drives it only through DirectoryClient's virtual functions. `servers` is a
// comma-separated list of base addresses, or null or empty to find the directory's servers
// through DNS at the first search; `userAgent` is sent with every request.

namespace directory {
class DirectoryClient;
}

namespace directory::directory_module {

inline constexpr const char* kCreateClientSymbol = "korvant_directory_create_client";
using CreateClient = DirectoryClient* (*)(const char* servers, const char* userAgent);

} // namespace directory::directory_module
