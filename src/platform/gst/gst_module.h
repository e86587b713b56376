#pragma once

// The boundary between the program and the korvant_gst module, the only part of the
// program that links GStreamer and Qt Network. The module exports one C function, found
// by name after QLibrary loads it.
//
// The function makes a media player with no parent and returns it (never null); the
// caller owns it. audioSinkDescription is the player's audio output as a gst-launch
// description, null or empty for the desktop's default output (what the program uses;
// benchmarks and tests pass their own). The caller drives it through the MediaPlayer interface's
// virtual functions and follows it through its "changed()" signal connected by name, so that
// nothing depends on the two sides sharing one copy of MediaPlayer's meta-object.

namespace platform {
class MediaPlayer;
}

namespace platform::gst_module {

inline constexpr const char* kCreatePlayerSymbol = "korvant_gst_create_player";
using CreatePlayer = MediaPlayer* (*)(const char* audioSinkDescription);

} // namespace platform::gst_module
