#pragma once

#include <QByteArray>
#include <QString>

typedef struct _GstElement GstElement;

namespace platform {

// Text of a stream's metadata (station name, title). Stations send whatever their software
// was fed: valid UTF-8 is taken as such, anything else as Windows-1252 (which covers
// Latin-1), so that a title never shows replacement characters. The text comes back as
// common::cleanRemoteText makes it: one capped line, no controls or direction overrides.
QString decodeTagText(const QByteArray& raw);

// Makes every text tag that reaches the audio output `sink` (through its "sink" pad) one
// line cleaned and capped as common::cleanRemoteText makes it. The output passes tags on:
// PulseAudio shows a stream's title, and drops a client whose title runs to tens of
// kilobytes, which then reconnects into the same title for good.
void cleanTextTagsReaching(GstElement* sink);

} // namespace platform
