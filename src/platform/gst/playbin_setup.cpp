// GStreamer first: Qt's keyword macros must not meet GLib's headers.
#include <gst/gst.h>

#include "platform/gst/playbin_setup.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Seconds of silence from the server before the HTTP source gives up (its own default is
// 15 s plus a retry); a dead connection should be noticed well within that.
constexpr guint sourceTimeoutSeconds = 10;

// The libav plug-in maps about two hundred libraries (several MiB resident, and close to
// a tenth of a second to load at the first stream), and two things load it on every
// stream although nothing there needs it: its MP3 decoder wins over the lighter one only
// because the two share a rank and decodebin breaks the tie by name, and its type finders
// (game and video containers no station sends) run whenever no other type finder is sure
// of a stream. Formats that only libav decodes (AAC here) still go to it.
constexpr const char* preferredDecoders[] = {"mpg123audiodec"};

bool fromLibav(GstPluginFeature* feature) {
    const gchar* plugin = gst_plugin_feature_get_plugin_name(feature);
    return plugin != nullptr && std::strcmp(plugin, "libav") == 0;
}

// Whether the rival accepts any input the factory accepts. Reads the registry only: no
// plug-in is loaded.
bool sharesInput(GstElementFactory* factory, GstElementFactory* rival) {
    for (const GList* t = gst_element_factory_get_static_pad_templates(factory); t != nullptr;
         t = t->next) {
        auto* pad = static_cast<GstStaticPadTemplate*>(t->data);
        if (pad->direction != GST_PAD_SINK)
            continue;
        GstCaps* caps = gst_static_pad_template_get_caps(pad);
        const bool shared = gst_element_factory_can_sink_any_caps(rival, caps);
        gst_caps_unref(caps);
        if (shared)
            return true;
    }
    return false;
}

// Ranks each preferred decoder just above every libav decoder that takes the same input,
// in this process's registry only (nothing is written back). Must run before the first
// pipeline, which keeps the decoder list it sorted.
void preferDecodersOverLibav() {
    GList* decoders = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_NONE);
    for (const char* name : preferredDecoders) {
        GstElementFactory* preferred = gst_element_factory_find(name);
        if (preferred == nullptr)
            continue;
        auto* feature = reinterpret_cast<GstPluginFeature*>(preferred);
        guint top = 0;
        bool rivalled = false;
        for (const GList* d = decoders; d != nullptr; d = d->next) {
            auto* rival = static_cast<GstElementFactory*>(d->data);
            auto* rivalFeature = reinterpret_cast<GstPluginFeature*>(rival);
            if (rival == preferred || !fromLibav(rivalFeature) || !sharesInput(preferred, rival))
                continue;
            top = std::max(top, gst_plugin_feature_get_rank(rivalFeature));
            rivalled = true;
        }
        if (rivalled && gst_plugin_feature_get_rank(feature) <= top)
            gst_plugin_feature_set_rank(feature, top + 1);
        gst_object_unref(preferred);
    }
    gst_plugin_feature_list_free(decoders);
}

// Takes libav's type finders out of this process's registry (nothing is written back).
// Should the plug-in load later for a decoder, it registers them again.
void dropLibavTypeFinders() {
    GstRegistry* registry = gst_registry_get();
    GList* features = gst_registry_get_feature_list_by_plugin(registry, "libav");
    for (const GList* f = features; f != nullptr; f = f->next)
        if (G_TYPE_CHECK_INSTANCE_TYPE(f->data, GST_TYPE_TYPE_FIND_FACTORY))
            gst_registry_remove_feature(registry, static_cast<GstPluginFeature*>(f->data));
    gst_plugin_feature_list_free(features);
}

} // namespace

// Once per process, after GStreamer is initialised and before the first pipeline.
void avoidLibavWhereNotNeeded() {
    static const bool done = [] {
        preferDecodersOverLibav();
        dropLibavTypeFinders();
        return true;
    }();
    (void)done;
}

// Called by playbin, possibly from a streaming thread, for each source it creates.
// tlsDatabase: the GTlsDatabase to check servers against, or null for the system's; it
// outlives the pipeline.
void onSourceSetup(GstElement*, GstElement* source, void* tlsDatabase) {
    auto* klass =
        reinterpret_cast<GObjectClass*>(reinterpret_cast<GTypeInstance*>(source)->g_class);
    if (g_object_class_find_property(klass, "user-agent"))
        g_object_set(source, "user-agent", userAgent, nullptr);
    if (g_object_class_find_property(klass, "timeout"))
        g_object_set(source, "timeout", sourceTimeoutSeconds, nullptr);
    // Servers that answer "ICY 200 OK" and send in-band titles are read as such.
    if (g_object_class_find_property(klass, "iradio-mode"))
        g_object_set(source, "iradio-mode", TRUE, nullptr);
    // (The source's own ssl-ca-file is ignored with libsoup 3, so the database is given.)
    if (tlsDatabase != nullptr && g_object_class_find_property(klass, "tls-database"))
        g_object_set(source, "tls-database", tlsDatabase, nullptr);
}

// Schemes a source inside a remote stream may read from: the network only.
bool isNetworkScheme(const char* scheme) {
    for (const char* allowed :
         {"http", "https", "rtsp", "rtsps", "rtspt", "rtsph", "mms", "mmsh", "mmst", "mmsu"})
        if (g_ascii_strcasecmp(scheme, allowed) == 0)
            return true;
    return false;
}

// The value of a response header in souphttpsrc's "http-headers" message, by name in any
// case; empty when absent.
QByteArray responseHeader(const GstStructure* message, const char* name) {
    const GValue* value = gst_structure_get_value(message, "response-headers");
    if (value == nullptr || !GST_VALUE_HOLDS_STRUCTURE(value))
        return {};
    const GstStructure* headers = gst_value_get_structure(value);
    for (int i = 0; i < gst_structure_n_fields(headers); ++i) {
        const gchar* field = gst_structure_nth_field_name(headers, i);
        if (g_ascii_strcasecmp(field, name) != 0)
            continue;
        const GValue* v = gst_structure_get_value(headers, field);
        if (G_VALUE_HOLDS_STRING(v))
            return QByteArray(g_value_get_string(v));
        if (GST_VALUE_HOLDS_ARRAY(v) && gst_value_array_get_size(v) > 0) {
            const GValue* first = gst_value_array_get_value(v, 0);
            if (G_VALUE_HOLDS_STRING(first))
                return QByteArray(g_value_get_string(first));
        }
    }
    return {};
}

// The desktop's sound server with a one-second buffer, which roughly halves the wake-ups
// of player and server alike (measured: about a quarter less CPU for both together); null
// when there is no PulseAudio (or PipeWire's) server to talk to, and the pipeline's
// automatic choice applies.
GstElement* makePulseSink() {
    GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
    if (sink == nullptr)
        return nullptr;
    gst_object_ref_sink(sink);
    g_object_set(sink, "buffer-time", gint64(1000000), "latency-time", gint64(200000), nullptr);
    const bool reachable = gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
    gst_element_set_state(sink, GST_STATE_NULL);
    if (!reachable) {
        gst_object_unref(sink);
        return nullptr;
    }
    return sink;
}

QStringList decodersIn(GstElement* bin) {
    QStringList names;
    if (bin == nullptr)
        return names;
    GstIterator* it = gst_bin_iterate_recurse(reinterpret_cast<GstBin*>(bin));
    GValue item = G_VALUE_INIT;
    bool done = false;
    while (!done) {
        switch (gst_iterator_next(it, &item)) {
        case GST_ITERATOR_OK: {
            auto* element = static_cast<GstElement*>(g_value_get_object(&item));
            GstElementFactory* factory = gst_element_get_factory(element);
            const gchar* klass =
                factory != nullptr
                    ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS)
                    : nullptr;
            // "Codec/Decoder/...", not the "Generic/Bin/Decoder" bins that hold them.
            if (klass != nullptr && std::strstr(klass, "Codec/Decoder") != nullptr)
                names << QString::fromUtf8(
                    gst_plugin_feature_get_name(reinterpret_cast<GstPluginFeature*>(factory)));
            g_value_reset(&item);
            break;
        }
        case GST_ITERATOR_RESYNC:
            names.clear();
            gst_iterator_resync(it);
            break;
        default:
            done = true;
            break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return names;
}

} // namespace platform
