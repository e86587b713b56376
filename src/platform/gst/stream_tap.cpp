// GStreamer first: Qt's keyword macros must not meet GLib's headers.
#include <gst/gst.h>

#include "platform/gst/recording_writer.h"
#include "platform/gst/stream_tap.h"

#include <cstring>

namespace platform {

using framing::Encoding;

namespace {

struct Tap {
    std::shared_ptr<RecordingWriter> writer;
    bool accepted = false;
};

// What comes out of these elements is the stream as the server sent it (typefinding
// passes everything on; the ICY demuxer takes out only the in-band titles).
bool takesTheStreamAsSent(GstPad* pad) {
    GstPad* peer = gst_pad_get_peer(pad);
    if (peer == nullptr)
        return false;
    GstElement* parent = gst_pad_get_parent_element(peer);
    gst_object_unref(peer);
    if (parent == nullptr)
        return false;
    GstElementFactory* factory = gst_element_get_factory(parent);
    const gchar* name =
        factory != nullptr
            ? gst_plugin_feature_get_name(reinterpret_cast<GstPluginFeature*>(factory))
            : nullptr;
    const bool ok = name != nullptr &&
                    (std::strcmp(name, "typefind") == 0 || std::strcmp(name, "icydemux") == 0);
    gst_object_unref(parent);
    return ok;
}

Encoding encodingOf(const GstCaps* caps, QString& extension) {
    if (caps == nullptr || gst_caps_get_size(caps) == 0)
        return Encoding::Unknown;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (gst_structure_has_name(s, "application/ogg") || gst_structure_has_name(s, "audio/ogg"))
        return Encoding::Ogg;
    if (!gst_structure_has_name(s, "audio/mpeg"))
        return Encoding::Unknown;
    gint version = 0;
    gst_structure_get_int(s, "mpegversion", &version);
    if (version == 1) {
        gint layer = 3;
        gst_structure_get_int(s, "layer", &layer);
        extension = QStringLiteral("mp%1").arg(layer >= 1 && layer <= 3 ? layer : 3);
        return Encoding::Mpeg;
    }
    const gchar* format = gst_structure_get_string(s, "stream-format");
    if ((version == 2 || version == 4) && format != nullptr && std::strcmp(format, "adts") == 0) {
        extension = QStringLiteral("aac");
        return Encoding::Adts;
    }
    return Encoding::Unknown;
}

gboolean consumeOne(GstBuffer** buffer, guint, gpointer data) {
    GstMapInfo map;
    if (gst_buffer_map(*buffer, &map, GST_MAP_READ)) {
        static_cast<Tap*>(data)->writer->consume(reinterpret_cast<const char*>(map.data),
                                                 qsizetype(map.size));
        gst_buffer_unmap(*buffer, &map);
    }
    return TRUE;
}

GstPadProbeReturn onProbe(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* tap = static_cast<Tap*>(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
            GstCaps* caps = nullptr;
            gst_event_parse_caps(event, &caps);
            QString extension;
            const Encoding encoding = encodingOf(caps, extension);
            tap->accepted = encoding != Encoding::Unknown && takesTheStreamAsSent(pad);
            if (!tap->accepted)
                return GST_PAD_PROBE_REMOVE;
            tap->writer->connectionStarted(encoding, extension);
        } else if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP && tap->accepted) {
            tap->writer->discontinuity();
        }
        return GST_PAD_PROBE_OK;
    }
    if (!tap->accepted)
        return GST_PAD_PROBE_OK;
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        consumeOne(&buffer, 0, tap);
    } else if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER_LIST) {
        gst_buffer_list_foreach(GST_PAD_PROBE_INFO_BUFFER_LIST(info), &consumeOne, tap);
    }
    return GST_PAD_PROBE_OK;
}

} // namespace

void tapEncodedStream(GstElement* element, const std::shared_ptr<RecordingWriter>& writer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory == nullptr || writer == nullptr)
        return;
    const gchar* name = gst_plugin_feature_get_name(reinterpret_cast<GstPluginFeature*>(factory));
    if (std::strcmp(name, "mpegaudioparse") != 0 && std::strcmp(name, "aacparse") != 0 &&
        std::strcmp(name, "oggdemux") != 0)
        return;
    GstPad* sink = gst_element_get_static_pad(element, "sink");
    if (sink == nullptr)
        return;
    // Push mode only: what a demuxer pulls from a file it reads out of order.
    const auto mask =
        GstPadProbeType(GST_PAD_PROBE_TYPE_PUSH | GST_PAD_PROBE_TYPE_BUFFER |
                        GST_PAD_PROBE_TYPE_BUFFER_LIST | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM);
    gst_pad_add_probe(sink, mask, &onProbe, new Tap{writer},
                      [](gpointer tap) { delete static_cast<Tap*>(tap); });
    gst_object_unref(sink);
}

} // namespace platform
