// GStreamer first: Qt's keyword macros must not meet GLib's headers.
#include <gio/gio.h>
#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include "platform/gst/playbin_pipeline.h"
#include "platform/gst/playbin_setup.h"
#include "platform/gst/tag_text.h"

namespace platform {

namespace {

constexpr guint playFlagAudio = 0x2;
constexpr guint playFlagSoftVolume = 0x10;
// In-band titles come every so many bytes of audio (8 or 16 KiB in practice); a server that
// announces a tiny interval sends almost nothing but title blocks, and the buffer would
// never fill.
constexpr int minIcyMetaInterval = 256;
constexpr char refusedSourceMessage[] = "korvant-refused-source";

GstObject* asObject(GstElement* element) {
    return reinterpret_cast<GstObject*>(element);
}

QString errorText(GError* error) {
    return error != nullptr ? QString::fromUtf8(error->message) : QString();
}

PipelineErrorKind kindOf(GQuark domain, int code) {
    if ((domain == GST_CORE_ERROR && code == GST_CORE_ERROR_MISSING_PLUGIN) ||
        (domain == GST_STREAM_ERROR &&
         (code == GST_STREAM_ERROR_TYPE_NOT_FOUND || code == GST_STREAM_ERROR_CODEC_NOT_FOUND ||
          code == GST_STREAM_ERROR_WRONG_TYPE || code == GST_STREAM_ERROR_DEMUX)))
        return PipelineErrorKind::NotAudio;
    if (domain == GST_RESOURCE_ERROR && code == GST_RESOURCE_ERROR_NOT_FOUND)
        return PipelineErrorKind::ResourceNotFound;
    if (domain == GST_RESOURCE_ERROR && code == GST_RESOURCE_ERROR_OPEN_READ)
        return PipelineErrorKind::ResourceOpenRead;
    return PipelineErrorKind::Other;
}

} // namespace

PlaybinPipeline::PlaybinPipeline(QString audioSinkDescription, Events events)
    : sinkDescription_(std::move(audioSinkDescription)), events_(std::move(events)) {}

PlaybinPipeline::~PlaybinPipeline() {
    if (element_ == nullptr)
        return;
    gst_element_set_state(element_, GST_STATE_NULL);
    if (busWatch_ != 0)
        g_source_remove(busWatch_);
    gst_object_unref(element_);
}

std::optional<QString> PlaybinPipeline::ensureCreated(GTlsDatabase* tlsDatabase) {
    if (element_ != nullptr)
        return std::nullopt;
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        const QString why = errorText(error);
        g_clear_error(&error);
        return QStringLiteral("Audio playback is not available: %1").arg(why);
    }
    avoidLibavWhereNotNeeded();
    GstElement* pipeline = gst_element_factory_make("playbin", "korvant-player");
    if (pipeline == nullptr)
        return QStringLiteral("Audio playback is not available: GStreamer's "
                              "playbin is not installed");
    gst_object_ref_sink(pipeline);
    if (!sinkDescription_.isEmpty()) {
        GstElement* sink =
            gst_parse_bin_from_description(sinkDescription_.toUtf8().constData(), TRUE, &error);
        if (sink == nullptr) {
            const QString why = errorText(error);
            g_clear_error(&error);
            gst_object_unref(pipeline);
            return QStringLiteral("The audio output could not be made: %1").arg(why);
        }
        g_clear_error(&error); // a bin made with warnings is still usable
        cleanTextTagsReaching(sink);
        g_object_set(pipeline, "audio-sink", sink, nullptr);
    }
    GstElement* pulse = sinkDescription_.isEmpty() ? makePulseSink() : nullptr;
    const bool streamVolume = pulse != nullptr;
    if (pulse != nullptr) {
        cleanTextTagsReaching(pulse);
        g_object_set(pipeline, "audio-sink", pulse, nullptr);
        gst_object_unref(pulse);
    }
    // With PulseAudio, volume and mute are the stream's own, so they apply at once rather
    // than after the sink's buffer; other outputs get a volume element in the pipeline.
    g_object_set(pipeline, "flags", playFlagAudio | (streamVolume ? 0 : playFlagSoftVolume),
                 nullptr);
    g_signal_connect_data(pipeline, "source-setup", reinterpret_cast<GCallback>(&onSourceSetup),
                          tlsDatabase, nullptr, GConnectFlags{});
    g_signal_connect_data(pipeline, "deep-element-added",
                          reinterpret_cast<GCallback>(&PlaybinPipeline::onElementAdded), this,
                          nullptr, GConnectFlags{});
    GstBus* bus = gst_element_get_bus(pipeline);
    busWatch_ = gst_bus_add_watch(bus, &PlaybinPipeline::busCallback, this);
    gst_object_unref(bus);
    element_ = pipeline;
    applyVolume();
    return std::nullopt;
}

void PlaybinPipeline::load(const QUrl& url) {
    remoteEntry_ = !url.isLocalFile();
    httpStatus_ = -1;
    faulted_ = false;
    started_ = false;
    if (element_ == nullptr)
        return;
    gst_element_set_state(element_, GST_STATE_NULL);
    g_object_set(element_, "uri", url.toEncoded().constData(), nullptr);
}

PlaybinPipeline::Start PlaybinPipeline::start() {
    if (element_ == nullptr)
        return Start::Refused;
    if (gst_element_set_state(element_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE)
        return Start::Started;
    // A refused state change has already posted its reason; the watch would only see it
    // after the bus is flushed, so it is read here.
    GstBus* bus = gst_element_get_bus(element_);
    GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (message == nullptr)
        return Start::Refused;
    onError(message);
    gst_message_unref(message);
    return Start::FaultReported;
}

bool PlaybinPipeline::play() {
    return element_ != nullptr &&
           gst_element_set_state(element_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool PlaybinPipeline::pause() {
    return element_ != nullptr &&
           gst_element_set_state(element_, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

void PlaybinPipeline::stop() {
    if (element_ != nullptr)
        gst_element_set_state(element_, GST_STATE_NULL);
}

void PlaybinPipeline::reset() {
    stop();
    started_ = false;
    faulted_ = false;
}

void PlaybinPipeline::reselectClock() {
    if (element_ == nullptr)
        return;
    gst_element_set_state(element_, GST_STATE_PAUSED);
    gst_element_set_state(element_, GST_STATE_PLAYING);
}

std::optional<qint64> PlaybinPipeline::position() const {
    gint64 position = -1;
    if (element_ == nullptr || !gst_element_query_position(element_, GST_FORMAT_TIME, &position))
        return std::nullopt;
    return position;
}

QStringList PlaybinPipeline::decoders() const {
    return decodersIn(element_);
}

void PlaybinPipeline::setVolume(int volume, bool mute) {
    volume_ = volume;
    mute_ = mute;
    applyVolume();
}

void PlaybinPipeline::applyVolume() {
    if (element_ == nullptr)
        return;
    gst_stream_volume_set_volume(reinterpret_cast<GstStreamVolume*>(element_),
                                 GST_STREAM_VOLUME_FORMAT_CUBIC, volume_ / 100.0);
    g_object_set(element_, "mute", gboolean(mute_), nullptr);
}

void PlaybinPipeline::report(const PipelineError& error) {
    if (faulted_)
        return;
    faulted_ = true;
    events_.fault(error);
}

void PlaybinPipeline::onElementAdded(GstElement* bin, GstElement*, GstElement* element,
                                     void* self) {
    // Runs on whichever thread adds the element, before it starts. A remote stream (an HLS
    // manifest, say) may name further addresses that demuxers open with sources of their
    // own; any of those that is not a network source is disarmed before it can open
    // anything, and the player is told to stop the stream.
    auto* pipeline = static_cast<PlaybinPipeline*>(self);
    if (pipeline->elementWatcher_)
        pipeline->elementWatcher_(element);
    if (!pipeline->remoteEntry_.load() || !GST_IS_URI_HANDLER(element))
        return;
    auto* handler = reinterpret_cast<GstURIHandler*>(element);
    if (gst_uri_handler_get_uri_type(handler) != GST_URI_SRC)
        return;
    gchar* uri = gst_uri_handler_get_uri(handler);
    gchar* scheme = uri != nullptr ? gst_uri_get_protocol(uri) : nullptr;
    const bool refused = scheme != nullptr && !isNetworkScheme(scheme);
    g_free(uri);
    if (refused) {
        auto* klass = G_OBJECT_GET_CLASS(element);
        if (g_object_class_find_property(klass, "location"))
            g_object_set(element, "location", nullptr, nullptr);
        gst_element_set_locked_state(element, TRUE);
        gst_element_post_message(
            bin, gst_message_new_application(asObject(element),
                                             gst_structure_new(refusedSourceMessage, "scheme",
                                                               G_TYPE_STRING, scheme, nullptr)));
    }
    g_free(scheme);
}

int PlaybinPipeline::busCallback(GstBus*, GstMessage* message, void* self) {
    static_cast<PlaybinPipeline*>(self)->onMessage(message);
    return G_SOURCE_CONTINUE;
}

void PlaybinPipeline::onMessage(GstMessage* message) {
    switch (message->type) {
    case GST_MESSAGE_ERROR:
        onError(message);
        break;
    case GST_MESSAGE_EOS:
        events_.endOfStream();
        break;
    case GST_MESSAGE_BUFFERING: {
        gint percent = 0;
        gst_message_parse_buffering(message, &percent);
        events_.buffering(percent);
        break;
    }
    case GST_MESSAGE_STATE_CHANGED: {
        if (message->src != asObject(element_))
            break;
        GstState newState = GST_STATE_VOID_PENDING;
        gst_message_parse_state_changed(message, nullptr, &newState, nullptr);
        if (newState == GST_STATE_PLAYING) {
            const bool first = !started_;
            started_ = true;
            events_.playing(first);
        }
        break;
    }
    case GST_MESSAGE_TAG: {
        GstTagList* tags = nullptr;
        gst_message_parse_tag(message, &tags);
        std::optional<QString> title;
        std::optional<QString> station;
        gchar* text = nullptr;
        if (gst_tag_list_get_string(tags, GST_TAG_TITLE, &text)) {
            title = decodeTagText(QByteArray(text));
            g_free(text);
        }
        if (gst_tag_list_get_string(tags, GST_TAG_ORGANIZATION, &text)) {
            station = decodeTagText(QByteArray(text));
            g_free(text);
        }
        gst_tag_list_unref(tags);
        events_.tags(title, station);
        break;
    }
    case GST_MESSAGE_ELEMENT:
        onElementMessage(message);
        break;
    case GST_MESSAGE_APPLICATION: {
        const GstStructure* s = gst_message_get_structure(message);
        if (s != nullptr && gst_structure_has_name(s, refusedSourceMessage))
            report({PipelineErrorKind::Unusable,
                    QStringLiteral("Refused: a remote stream named a local file")});
        break;
    }
    case GST_MESSAGE_CLOCK_LOST:
        events_.clockLost();
        break;
    case GST_MESSAGE_LATENCY:
        gst_bin_recalculate_latency(reinterpret_cast<GstBin*>(element_));
        break;
    default:
        break;
    }
}

void PlaybinPipeline::onElementMessage(GstMessage* message) {
    const GstStructure* s = gst_message_get_structure(message);
    guint code = 0;
    if (s == nullptr || !gst_structure_has_name(s, "http-headers") ||
        !gst_structure_get_uint(s, "http-status-code", &code))
        return;
    httpStatus_ = int(code);
    bool ok = false;
    const int interval = responseHeader(s, "icy-metaint").trimmed().toInt(&ok);
    if (ok && interval > 0 && interval < minIcyMetaInterval)
        report({PipelineErrorKind::Unusable,
                interval == 1
                    ? QStringLiteral("Unusable stream: in-band titles after every byte")
                    : QStringLiteral("Unusable stream: in-band titles after every %1 bytes")
                          .arg(interval)});
}

void PlaybinPipeline::onError(GstMessage* message) {
    if (faulted_)
        return;
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const PipelineError parsed{kindOf(error->domain, error->code), errorText(error)};
    g_clear_error(&error);
    g_free(debug);
    report(parsed);
}

} // namespace platform
