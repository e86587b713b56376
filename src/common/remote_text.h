#pragma once

#include <QString>

namespace common {

// The longest text from outside (a station's title or name, a name or caption from a data
// file) that the program passes on, in UTF-16 code units. Audio servers and desktop hosts
// drop a client whose stream title runs to tens of kilobytes; no real title comes near this.
inline constexpr qsizetype kRemoteTextMaxLength = 1024;

// Text from outside made safe to show or pass on as one line of plain text:
// - control characters (C0, DEL, C1) are removed, except that each run of line breaks and
//   tabs (with U+0085 and the Unicode line and paragraph separators) becomes one space, so
//   the text stays on one line and its words apart;
// - direction embeddings, overrides and isolates (U+202A..U+202E, U+2066..U+2069) are
//   removed, so the text cannot reverse what follows it. The direction marks (U+200E,
//   U+200F, U+061C) stay: they only settle the direction of neighbouring punctuation,
//   which right-to-left titles need, and cannot reorder letters;
// - a lone half of a surrogate pair is removed;
// - the result is cut to maxLength code units (never inside a surrogate pair), its last
//   one an ellipsis when something was cut.
// Spaces and markup are left as they are: they are text, and every place that shows such
// text shows it as plain text.
QString cleanRemoteText(const QString& text, qsizetype maxLength = kRemoteTextMaxLength);

// The caption of a menu entry or menu that shows text exactly: every '&' is doubled so
// that none becomes a keyboard mnemonic.
QString menuCaption(const QString& text);

// A tooltip that shows text exactly. Qt renders a tooltip as rich text whenever the text
// looks like markup (an <img> in it loads the file it names), so the text is escaped and
// wrapped as a paragraph: always rich text, never markup of the sender's. Empty text
// stays empty (no tooltip).
QString plainToolTip(const QString& text);

} // namespace common
