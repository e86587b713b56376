#pragma once

#include <QByteArray>
#include <QStringList>

struct _GstElement;
struct _GstStructure;

namespace platform {

// How the player introduces itself to servers, for the stream and its own fetches alike.
inline constexpr char userAgent[] = "KorvantLite/1.0";

// Called by playbin, possibly from a streaming thread, for each source it creates.
// tlsDatabase: the GTlsDatabase to check servers against, or null for the system's; it
// outlives the pipeline.
void onSourceSetup(_GstElement* playbin, _GstElement* source, void* tlsDatabase);

// The desktop's sound server with a one-second buffer (a floating reference taken), or
// null when there is no sound server to talk to.
_GstElement* makePulseSink();

// Once per process, after GStreamer is initialised and before the first pipeline: keeps
// the libav plug-in from loading for streams that do not need it.
void avoidLibavWhereNotNeeded();

// Schemes a source inside a remote stream may read from: the network only.
bool isNetworkScheme(const char* scheme);

// The value of a response header in souphttpsrc's "http-headers" message, by name in any
// case; empty when absent.
QByteArray responseHeader(const _GstStructure* message, const char* name);

// The element factories of the decoders inside the bin now (empty for a null bin).
QStringList decodersIn(_GstElement* bin);

} // namespace platform
