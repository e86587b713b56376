#pragma once

// The program's one application id, used wherever the desktop names it: the launcher's
// file name, the AppStream metainfo, the window's class and the media-player bus name.

namespace common {

inline constexpr const char* kApplicationId = "org.korvant.KorvantLite";
inline constexpr const char* kApplicationName = "Korvant Lite";

} // namespace common
