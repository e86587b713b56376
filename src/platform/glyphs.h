#pragma once

#include <QColor>
#include <QIcon>

namespace platform {

// Small media glyphs painted in code. They stand in for the icon theme's media icons:
// looking those up walks the theme folders and parses their index files, which was the
// largest single cost of showing the main window.
enum class Glyph { Play, Pause, Stop, Volume, Muted, Help, Record };

// The glyph in `ink` (the help mark is white on a disc of `ink`), drawn at whatever size
// it is shown, with a faded form for the disabled state.
QIcon glyphIcon(Glyph glyph, const QColor& ink);

// For a checkable button: `off` while it is unchecked, `on` while it is checked.
QIcon glyphIcon(Glyph off, Glyph on, const QColor& ink);

} // namespace platform
