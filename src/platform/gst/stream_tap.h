#pragma once

#include <memory>

struct _GstElement;

namespace platform {

class RecordingWriter;

// Called for each element added inside the pipeline (on whichever thread adds it). The
// element that first takes the stream as it came from the network (MPEG audio or ADTS
// after in-band titles are taken out, or Ogg) is tapped: its input goes to the writer,
// with the encoding its caps name. Other elements are left alone, so a stream that is not
// carried in one of these (a playlist of segments, say) is never reported.
void tapEncodedStream(_GstElement* element, const std::shared_ptr<RecordingWriter>& writer);

} // namespace platform
