// GStreamer first: Qt's keyword macros must not meet GLib's headers.
#include <gio/gio.h>
#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include "common/remote_text.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/playlist.h"
#include "platform/gst/tag_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <ranges>

namespace platform {

namespace {

constexpr char userAgent[] = "KorvantLite/1.0";
constexpr int maxPlaylistDepth = 3;
// Nested playlists multiply; one address leads to at most this many fetches and streams.
constexpr int maxTriesPerOpen = 64;
// One fetch, redirects included; the whole address has resolveBudgetMs.
constexpr int fetchTimeoutMs = 10000;
// In-band titles come every so many bytes of audio (8 or 16 KiB in practice); a server that
// announces a tiny interval sends almost nothing but title blocks, and the buffer would
// never fill.
constexpr int minIcyMetaInterval = 256;
constexpr int probeTimeoutMs = 5000;
// The source has already waited its own timeout when a diagnosis starts.
constexpr int diagnosisTimeoutMs = 3000;
// Seconds of silence from the server before the HTTP source gives up (its own default is
// 15 s plus a retry); a dead connection should be noticed well within that.
constexpr guint sourceTimeoutSeconds = 10;
constexpr guint playFlagAudio = 0x2;
constexpr guint playFlagSoftVolume = 0x10;
// Seconds of playing without the position moving before the connection counts as dead
// (the queue holds about 2 s, so silence starts that much earlier).
constexpr int stallSeconds = 8;

// On a reconnect, playback starts once the network buffer holds this share of its target
// rather than all of it: a mount that has just come back has no burst to send, so a full
// buffer would take its whole length in real time, all of it silence for the user.
constexpr int reconnectStartPercent = 20;

// Called by playbin, possibly from a streaming thread, for each source it creates.
// tlsDatabase: the GTlsDatabase to check servers against, or null for the system's; it
// outlives the pipeline.
void onSourceSetup(GstElement*, GstElement* source, gpointer tlsDatabase) {
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

// Whether an HTTP failure may mend by itself. A server error may; of the client errors,
// only a 4xx other than 401/403 from a station that has already played in this session
// does: Icecast answers 404 while a mount's encoder is away, so a mount that played a
// moment ago is coming back rather than gone. On a first open the same answer is final.
bool httpFailureTransient(int code, bool everPlayed) {
    if (code >= 500)
        return true;
    return everPlayed && code >= 400 && code != 401 && code != 403;
}

QString httpStatusText(int code) {
    switch (code) {
    case 401:
        return QStringLiteral("Access denied (401)");
    case 403:
        return QStringLiteral("Forbidden (403)");
    case 404:
        return QStringLiteral("Not found (404)");
    default:
        break;
    }
    if (code >= 500)
        return QStringLiteral("Server error (%1)").arg(code);
    return QStringLiteral("HTTP error %1").arg(code);
}

bool isHttp(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https";
}

// Schemes a source inside a remote stream may read from: the network only.
bool isNetworkScheme(const char* scheme) {
    for (const char* allowed :
         {"http", "https", "rtsp", "rtsps", "rtspt", "rtsph", "mms", "mmsh", "mmst", "mmsu"})
        if (g_ascii_strcasecmp(scheme, allowed) == 0)
            return true;
    return false;
}

constexpr char refusedSourceMessage[] = "korvant-refused-source";

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

// Once per process, after GStreamer is initialised and before the first pipeline.
void avoidLibavWhereNotNeeded() {
    static const bool done = [] {
        preferDecodersOverLibav();
        dropLibavTypeFinders();
        return true;
    }();
    (void)done;
}

GstObject* asObject(GstElement* element) {
    return reinterpret_cast<GstObject*>(element);
}

} // namespace

GstMediaPlayer::GstMediaPlayer(QString audioSinkDescription, QObject* parent)
    : MediaPlayer(parent), sinkDescription_(std::move(audioSinkDescription)),
      reconnectTimer_(new QTimer(this)), watchdog_(new QTimer(this)), budget_(new QTimer(this)) {
    reconnectTimer_->setInterval(1000);
    connect(reconnectTimer_, &QTimer::timeout, this, &GstMediaPlayer::onReconnectTick);
    watchdog_->setInterval(1000);
    connect(watchdog_, &QTimer::timeout, this, &GstMediaPlayer::onWatchdogTick);
    budget_->setSingleShot(true);
    budget_->setTimerType(Qt::PreciseTimer); // a coarse timer may run 5 % over
    connect(budget_, &QTimer::timeout, this, &GstMediaPlayer::onBudgetExpired);
}

void GstMediaPlayer::trustOnlyCertificatesIn(const QString& pemFile) {
    if (pipeline_ != nullptr)
        return;
    // Read once, so that the stream and the checks beside it trust the same certificates
    // however the file changes later.
    caCertificates_ = QSslCertificate::fromPath(pemFile);
    if (tlsDatabase_ != nullptr)
        g_object_unref(tlsDatabase_);
    // An unreadable file gives no database: the system's authorities then refuse the server.
    tlsDatabase_ = g_tls_file_database_new(QFile::encodeName(pemFile).constData(), nullptr);
    trustOwnCertificates_ = true;
}

GstMediaPlayer::~GstMediaPlayer() {
    halt();
    if (busWatch_ != 0)
        g_source_remove(busWatch_);
    if (pipeline_ != nullptr)
        gst_object_unref(pipeline_);
    if (tlsDatabase_ != nullptr)
        g_object_unref(tlsDatabase_);
}

void GstMediaPlayer::setURL(const QString& url) {
    url_ = url;
    open(true);
}

void GstMediaPlayer::play() {
    if (pipeline_ != nullptr && userPaused_ && state_ == psPaused) {
        userPaused_ = false;
        setState(psTransitioning, QStringLiteral("Resuming..."));
        if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
            fail(QStringLiteral("Could not resume playing"));
        return;
    }
    if (state_ == psPlaying || state_ == psBuffering || state_ == psTransitioning)
        return;
    open(true);
}

void GstMediaPlayer::pause() {
    const bool active = state_ == psPlaying || state_ == psBuffering || state_ == psTransitioning;
    if (pipeline_ == nullptr || !active || fetch_ != nullptr)
        return;
    userPaused_ = true;
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        fail(QStringLiteral("Could not pause"));
        return;
    }
    setState(psPaused, QStringLiteral("Paused"));
}

void GstMediaPlayer::stop() {
    halt();
    reconnect_.reset();
    everPlayed_ = false;
    setState(psStopped, QStringLiteral("Stopped"));
}

void GstMediaPlayer::setMute(bool mute) {
    if (mute == mute_)
        return;
    mute_ = mute;
    applyVolume();
    emit changed();
}

void GstMediaPlayer::setVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (volume == volume_)
        return;
    volume_ = volume;
    applyVolume();
    emit changed();
}

void GstMediaPlayer::applyVolume() {
    if (pipeline_ == nullptr)
        return;
    gst_stream_volume_set_volume(reinterpret_cast<GstStreamVolume*>(pipeline_),
                                 GST_STREAM_VOLUME_FORMAT_CUBIC, volume_ / 100.0);
    g_object_set(pipeline_, "mute", gboolean(mute_), nullptr);
}

void GstMediaPlayer::open(bool fresh) {
    halt();
    if (fresh) {
        reconnect_.reset();
        everPlayed_ = false;
    }
    reconnectAttempt_ = !fresh;
    title_.clear();
    station_.clear();
    lastFailure_.clear();
    const playlist::Address address = playlist::resolveAddress(url_);
    if (!address.error.isEmpty()) {
        setState(psReady, address.error);
        return;
    }
    triesLeft_ = maxTriesPerOpen;
    pending_.push_back({address.url, 0, false});
    budget_->start(resolveBudgetMs);
    tryNext();
}

void GstMediaPlayer::tryNext() {
    if (triesLeft_-- <= 0)
        pending_.clear();
    if (pending_.empty()) {
        budget_->stop(); // the address has ended, with its reason
        if (everPlayed_ && lastFailureTransient_)
            scheduleReconnect();
        else
            setState(psReady, lastFailure_.isEmpty() ? QStringLiteral("Could not play this address")
                                                     : lastFailure_);
        return;
    }
    const Entry entry = pending_.front();
    pending_.pop_front();
    if (playlist::kindFromName(entry.url) != playlist::Kind::None && !entry.fetched)
        fetchPlaylist(entry);
    else
        playEntry(entry);
}

void GstMediaPlayer::playEntry(const Entry& entry) {
    current_ = entry;
    remoteEntry_ = !entry.url.isLocalFile();
    httpStatus_ = -1;
    failedThisAttempt_ = false;
    playedOnce_ = false;
    userPaused_ = false;
    if (!ensurePipeline())
        return;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    g_object_set(pipeline_, "uri", entry.url.toEncoded().constData(), nullptr);
    if (entry.url.scheme() == "https")
        probeServer(entry.url);
    setState(psTransitioning, entry.url.isLocalFile()
                                  ? QStringLiteral("Opening %1...").arg(entry.url.fileName())
                                  : QStringLiteral("Connecting to %1...").arg(entry.url.host()));
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE)
        return;
    // A refused state change has already posted its reason; the watch would only see it
    // after the bus is flushed, so it is read here.
    GstBus* bus = gst_element_get_bus(pipeline_);
    GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (message != nullptr) {
        onError(message);
        gst_message_unref(message);
    } else {
        fail(QStringLiteral("Could not open this address"));
    }
}

void GstMediaPlayer::fetchPlaylist(const Entry& entry) {
    current_ = entry;
    Entry fetched = entry;
    fetched.fetched = true;
    if (entry.url.isLocalFile()) {
        QFile file(entry.url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("File not found"));
            return;
        }
        const QByteArray body = file.read(playlist::maxBodyBytes + 1);
        if (body.size() > playlist::maxBodyBytes) {
            fail(QStringLiteral("Not an audio stream"));
            return;
        }
        onPlaylistBody(body, {}, fetched);
        return;
    }
    PlaylistFetch::Options options;
    options.userAgent = userAgent;
    options.maxBodyBytes = playlist::maxBodyBytes;
    options.deadlineMs = fetchTimeoutMs;
    options.ownCertificates = trustOwnCertificates_;
    options.caCertificates = caCertificates_;
    if (fetch_ != nullptr) {
        fetch_->abort();
        fetch_->deleteLater();
    }
    const unsigned attempt = attempt_;
    // An address named like a playlist may be the stream itself; it goes to the pipeline as
    // soon as the headers say audio. Anything else larger than a playlist can be is refused.
    auto* job = new PlaylistFetch(
        entry.url, std::move(options),
        [this, attempt, fetched](const PlaylistFetch::Result& result) {
            if (fetch_ != nullptr)
                fetch_->deleteLater();
            fetch_ = nullptr;
            if (attempt == attempt_)
                onPlaylistFetched(result, fetched);
        },
        this);
    fetch_ = job;
    setState(psTransitioning, QStringLiteral("Connecting to %1...").arg(entry.url.host()));
}

void GstMediaPlayer::onPlaylistFetched(const PlaylistFetch::Result& result, const Entry& entry) {
    Entry resolved = entry;
    resolved.url = result.url; // after redirects, for relative entries
    switch (result.outcome) {
    case PlaylistFetch::Outcome::Audio:
        playEntry(resolved);
        return;
    case PlaylistFetch::Outcome::Failed:
        if (result.httpStatus >= 400)
            fail(httpStatusText(result.httpStatus),
                 httpFailureTransient(result.httpStatus, everPlayed_));
        else
            fail(result.why, result.transient);
        return;
    case PlaylistFetch::Outcome::Body:
        onPlaylistBody(result.body, result.contentType, resolved);
        return;
    }
}

void GstMediaPlayer::onPlaylistBody(const QByteArray& body, const QString& contentType,
                                    const Entry& entry) {
    if (playlist::isHls(body)) {
        playEntry(entry);
        return;
    }
    const std::vector<QUrl> entries = playlist::parsePlaylist(body, contentType, entry.url);
    if (entries.empty()) {
        const bool named = playlist::kindFromName(entry.url) != playlist::Kind::None ||
                           playlist::kindFromContentType(contentType) != playlist::Kind::None;
        fail(named ? QStringLiteral("The playlist has no playable entries")
                   : QStringLiteral("Not an audio stream"));
        return;
    }
    if (entry.depth >= maxPlaylistDepth) {
        fail(QStringLiteral("Too many nested playlists"));
        return;
    }
    // In reverse, so that the first entry ends up first; clang-tidy's parser cannot read
    // the standard library's reversed view, so the iterators are spelled out.
    // NOLINTNEXTLINE(modernize-loop-convert)
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        pending_.push_front({*it, entry.depth + 1, false});
    tryNext();
}

void GstMediaPlayer::fail(const QString& why, bool transient) {
    watchdog_->stop();
    if (pipeline_ != nullptr)
        gst_element_set_state(pipeline_, GST_STATE_NULL);
    lastFailure_ = why;
    lastFailureTransient_ = transient;
    tryNext();
}

void GstMediaPlayer::scheduleReconnect() {
    reconnectIn_ = reconnect_.nextDelaySeconds();
    setState(psReconnecting, QStringLiteral("Reconnecting in %1 s").arg(reconnectIn_));
    reconnectTimer_->start();
}

void GstMediaPlayer::onReconnectTick() {
    if (--reconnectIn_ > 0) {
        setState(psReconnecting, QStringLiteral("Reconnecting in %1 s").arg(reconnectIn_));
        return;
    }
    // The original address again, so that a playlist is read afresh.
    open(false);
}

void GstMediaPlayer::onBudgetExpired() {
    if (playedOnce_ || userPaused_) // a pause while opening is the user's own wait
        return;
    QString why = lastFailure_;
    bool transient = lastFailureTransient_;
    if (state_ == psBuffering) {
        why = QStringLiteral("The stream sends too little to start playing");
        transient = false;
    } else if (why.isEmpty()) {
        why = QStringLiteral("The station did not start within %1 s").arg(resolveBudgetMs / 1000);
        transient = true;
    }
    // A diagnosis under way goes on to put the last failure in words; one already connected
    // and unanswered has said enough.
    PlaylistFetch* diagnosis = diagnosis_;
    diagnosis_ = nullptr;
    if (diagnosis != nullptr && diagnosis->awaitingAnswer() &&
        why == QStringLiteral("Could not connect to %1").arg(current_.url.host())) {
        why = QStringLiteral("The server does not answer");
        diagnosis->abort();
        diagnosis->deleteLater();
        diagnosis = nullptr;
    }
    halt(); // also ends the fetch or stream in progress and any entries still to try
    diagnosis_ = diagnosis;
    lastFailure_ = why;
    lastFailureTransient_ = transient;
    tryNext();
}

void GstMediaPlayer::onWatchdogTick() {
    if (state_ != psPlaying || pipeline_ == nullptr)
        return;
    gint64 position = -1;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &position))
        return;
    if (position != lastPosition_) {
        lastPosition_ = position;
        stalledTicks_ = 0;
    } else if (++stalledTicks_ >= stallSeconds) {
        fail(QStringLiteral("The stream stalled"), true);
    }
}

void GstMediaPlayer::probeServer(const QUrl& url) {
    // The HTTP source reports a failed connection without its reason; a plain connection
    // attempt to the same place tells refused from unknown host from timed out. For HTTPS
    // the probe runs beside every stream opened: its own handshake tells a refused
    // certificate, which no retry mends, and it stops the stream even where the TLS layer
    // under the HTTP source lets a server through that it refused before (seen with a
    // server that came back with a new, untrusted certificate, once the process had
    // connected to it with a trusted one).
    if (probe_ != nullptr)
        probe_->deleteLater();
    const bool https = url.scheme().compare("https", Qt::CaseInsensitive) == 0;
    QSslSocket* secure = https ? new QSslSocket(this) : nullptr;
    QTcpSocket* socket = https ? secure : new QTcpSocket(this);
    probe_ = socket;
    const unsigned attempt = attempt_;
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket, attempt](QAbstractSocket::SocketError error) {
                socket->deleteLater();
                if (attempt != attempt_ || state_ != psReady)
                    return;
                QString reason = socket->errorString();
                if (error == QAbstractSocket::ConnectionRefusedError)
                    reason = QStringLiteral("Connection refused");
                else if (error == QAbstractSocket::HostNotFoundError)
                    reason = QStringLiteral("Host not found");
                else if (error == QAbstractSocket::SocketTimeoutError)
                    reason = QStringLiteral("Timed out");
                lastFailure_ = QStringLiteral("Could not connect: %1").arg(reason);
                setState(psReady, lastFailure_);
            });
    if (secure != nullptr) {
        QSslConfiguration config = secure->sslConfiguration();
        if (trustOwnCertificates_)
            config.setCaCertificates(caCertificates_);
        secure->setSslConfiguration(config);
        connect(secure, &QSslSocket::sslErrors, this,
                [this, attempt](const QList<QSslError>& errors) {
                    if (attempt != attempt_)
                        return;
                    const QString why = errors.isEmpty() ? QStringLiteral("unknown reason")
                                                         : errors.first().errorString();
                    halt(); // also ends the probe
                    lastFailure_ = QStringLiteral("Certificate not accepted: %1").arg(why);
                    setState(psReady, lastFailure_);
                });
        connect(secure, &QSslSocket::encrypted, secure, [secure] {
            secure->abort();
            secure->deleteLater();
        });
    } else {
        connect(socket, &QTcpSocket::connected, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    }
    QTimer::singleShot(probeTimeoutMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    if (secure != nullptr)
        secure->connectToHostEncrypted(url.host(), quint16(url.port(443)));
    else
        socket->connectToHost(url.host(), quint16(url.port(80)));
}

void GstMediaPlayer::diagnoseServer(const QUrl& url) {
    // The HTTP source reports a failed connection without its reason; the player's own
    // fetch of the same address tells refused from unknown host from a server that takes
    // the connection but does not answer, or answers with endless headers.
    if (diagnosis_ != nullptr) {
        diagnosis_->abort();
        diagnosis_->deleteLater();
    }
    PlaylistFetch::Options options;
    options.userAgent = userAgent;
    options.maxBodyBytes = playlist::maxBodyBytes;
    options.deadlineMs = diagnosisTimeoutMs;
    const QString unrefined = QStringLiteral("Could not connect to %1").arg(url.host());
    // Stale answers cannot arrive: every halt aborts the diagnosis, except the one that ends
    // the address, which leaves it to refine the reason shown.
    diagnosis_ = new PlaylistFetch(
        url, std::move(options),
        [this, unrefined](const PlaylistFetch::Result& result) {
            if (diagnosis_ != nullptr)
                diagnosis_->deleteLater();
            diagnosis_ = nullptr;
            // An answer now, or a refusal by status, leaves the source's own words.
            if (result.outcome != PlaylistFetch::Outcome::Failed || result.why.isEmpty() ||
                lastFailure_ != unrefined)
                return;
            lastFailure_ = result.why;
            if (state_ == psReady && status_ == unrefined)
                setState(psReady, result.why);
        },
        this);
}

void GstMediaPlayer::halt() {
    ++attempt_;
    reconnectTimer_->stop();
    watchdog_->stop();
    budget_->stop();
    pending_.clear();
    if (fetch_ != nullptr) {
        fetch_->abort(); // the socket is closed here, not when the object goes
        fetch_->deleteLater();
        fetch_ = nullptr;
    }
    if (diagnosis_ != nullptr) {
        diagnosis_->abort();
        diagnosis_->deleteLater();
        diagnosis_ = nullptr;
    }
    if (probe_ != nullptr) {
        probe_->abort();
        probe_->deleteLater();
        probe_ = nullptr;
    }
    if (pipeline_ != nullptr)
        gst_element_set_state(pipeline_, GST_STATE_NULL);
    playedOnce_ = false;
    userPaused_ = false;
    failedThisAttempt_ = false;
}

bool GstMediaPlayer::ensurePipeline() {
    if (pipeline_ != nullptr)
        return true;
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        const QString why = error != nullptr ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
        setState(psReady, QStringLiteral("Audio playback is not available: %1").arg(why));
        return false;
    }
    avoidLibavWhereNotNeeded();
    GstElement* pipeline = gst_element_factory_make("playbin", "korvant-player");
    if (pipeline == nullptr) {
        setState(psReady, QStringLiteral("Audio playback is not available: GStreamer's "
                                         "playbin is not installed"));
        return false;
    }
    gst_object_ref_sink(pipeline);
    if (!sinkDescription_.isEmpty()) {
        GstElement* sink =
            gst_parse_bin_from_description(sinkDescription_.toUtf8().constData(), TRUE, &error);
        if (sink == nullptr) {
            const QString why = error != nullptr ? QString::fromUtf8(error->message) : QString();
            g_clear_error(&error);
            gst_object_unref(pipeline);
            setState(psReady, QStringLiteral("The audio output could not be made: %1").arg(why));
            return false;
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
                          tlsDatabase_, nullptr, GConnectFlags{});
    g_signal_connect_data(pipeline, "deep-element-added",
                          reinterpret_cast<GCallback>(&GstMediaPlayer::onElementAdded), this,
                          nullptr, GConnectFlags{});
    GstBus* bus = gst_element_get_bus(pipeline);
    busWatch_ = gst_bus_add_watch(bus, &GstMediaPlayer::busCallback, this);
    gst_object_unref(bus);
    pipeline_ = pipeline;
    applyVolume();
    return true;
}

QStringList GstMediaPlayer::decoders() const {
    QStringList names;
    if (pipeline_ == nullptr)
        return names;
    GstIterator* it = gst_bin_iterate_recurse(reinterpret_cast<GstBin*>(pipeline_));
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

void GstMediaPlayer::onElementAdded(GstElement* bin, GstElement*, GstElement* element, void* self) {
    // Runs on whichever thread adds the element, before it starts. A remote stream (an HLS
    // manifest, say) may name further addresses that demuxers open with sources of their
    // own; any of those that is not a network source is disarmed before it can open
    // anything, and the player is told to stop the stream.
    auto* player = static_cast<GstMediaPlayer*>(self);
    if (!player->remoteEntry_.load() || !GST_IS_URI_HANDLER(element))
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

int GstMediaPlayer::busCallback(GstBus*, GstMessage* message, void* self) {
    static_cast<GstMediaPlayer*>(self)->onMessage(message);
    return G_SOURCE_CONTINUE;
}

void GstMediaPlayer::onMessage(GstMessage* message) {
    switch (message->type) {
    case GST_MESSAGE_ERROR:
        onError(message);
        break;
    case GST_MESSAGE_EOS:
        // A file ends; a radio stream that ends has lost its server or its source.
        if (current_.url.isLocalFile() && playedOnce_) {
            halt();
            setState(psStopped, QStringLiteral("Finished"));
        } else {
            fail(playedOnce_ ? QStringLiteral("The stream ended")
                             : QStringLiteral("The stream ended before it started"),
                 playedOnce_);
        }
        break;
    case GST_MESSAGE_BUFFERING: {
        // Buffering is waited for only until playback first starts. Afterwards the level
        // of a live stream dips below full all the time, and pausing on each dip would
        // silence it for a second at a time.
        if (playedOnce_ || userPaused_)
            break;
        gint percent = 0;
        gst_message_parse_buffering(message, &percent);
        const int enough = reconnectAttempt_ ? reconnectStartPercent : 100;
        if (percent < enough) {
            if (state_ != psBuffering)
                gst_element_set_state(pipeline_, GST_STATE_PAUSED);
            setState(psBuffering, QStringLiteral("Buffering %1%").arg(percent));
        } else {
            gst_element_set_state(pipeline_, GST_STATE_PLAYING);
        }
        break;
    }
    case GST_MESSAGE_STATE_CHANGED: {
        if (message->src != asObject(pipeline_))
            break;
        GstState newState = GST_STATE_VOID_PENDING;
        gst_message_parse_state_changed(message, nullptr, &newState, nullptr);
        if (newState == GST_STATE_PLAYING) {
            if (!playedOnce_)
                reconnect_.playing();
            playedOnce_ = true;
            everPlayed_ = true;
            budget_->stop();
            lastPosition_ = -1;
            stalledTicks_ = 0;
            watchdog_->start();
            setState(psPlaying, playingText());
        } else if (newState == GST_STATE_PAUSED && userPaused_) {
            setState(psPaused, QStringLiteral("Paused"));
        }
        break;
    }
    case GST_MESSAGE_TAG: {
        GstTagList* tags = nullptr;
        gst_message_parse_tag(message, &tags);
        gchar* text = nullptr;
        if (gst_tag_list_get_string(tags, GST_TAG_TITLE, &text)) {
            title_ = decodeTagText(QByteArray(text));
            g_free(text);
        }
        if (gst_tag_list_get_string(tags, GST_TAG_ORGANIZATION, &text)) {
            station_ = decodeTagText(QByteArray(text));
            g_free(text);
        }
        gst_tag_list_unref(tags);
        if (state_ == psPlaying)
            setState(psPlaying, playingText());
        break;
    }
    case GST_MESSAGE_ELEMENT: {
        const GstStructure* s = gst_message_get_structure(message);
        guint code = 0;
        if (s != nullptr && gst_structure_has_name(s, "http-headers") &&
            gst_structure_get_uint(s, "http-status-code", &code)) {
            httpStatus_ = int(code);
            bool ok = false;
            const int interval = responseHeader(s, "icy-metaint").trimmed().toInt(&ok);
            if (ok && interval > 0 && interval < minIcyMetaInterval && !failedThisAttempt_) {
                failedThisAttempt_ = true;
                fail(QStringLiteral("Unusable stream: in-band titles after every %1 bytes")
                         .arg(interval));
            }
        }
        break;
    }
    case GST_MESSAGE_APPLICATION: {
        const GstStructure* s = gst_message_get_structure(message);
        if (s != nullptr && gst_structure_has_name(s, refusedSourceMessage) &&
            !failedThisAttempt_) {
            failedThisAttempt_ = true;
            fail(QStringLiteral("Refused: a remote stream named a local file"));
        }
        break;
    }
    case GST_MESSAGE_CLOCK_LOST:
        if (!userPaused_) {
            gst_element_set_state(pipeline_, GST_STATE_PAUSED);
            gst_element_set_state(pipeline_, GST_STATE_PLAYING);
        }
        break;
    case GST_MESSAGE_LATENCY:
        gst_bin_recalculate_latency(reinterpret_cast<GstBin*>(pipeline_));
        break;
    default:
        break;
    }
}

void GstMediaPlayer::onError(GstMessage* message) {
    // Only the first error of an attempt says why; the rest are its echoes.
    if (failedThisAttempt_)
        return;
    failedThisAttempt_ = true;
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const GQuark domain = error->domain;
    const int code = error->code;
    const QString text = QString::fromUtf8(error->message);
    g_clear_error(&error);
    g_free(debug);

    const bool notAudio =
        (domain == GST_CORE_ERROR && code == GST_CORE_ERROR_MISSING_PLUGIN) ||
        (domain == GST_STREAM_ERROR &&
         (code == GST_STREAM_ERROR_TYPE_NOT_FOUND || code == GST_STREAM_ERROR_CODEC_NOT_FOUND ||
          code == GST_STREAM_ERROR_WRONG_TYPE || code == GST_STREAM_ERROR_DEMUX));
    if (httpStatus_ >= 400) {
        fail(httpStatusText(httpStatus_), httpFailureTransient(httpStatus_, everPlayed_));
    } else if (httpStatus_ >= 300) {
        // The HTTP source names only the last status ("Found"); the player's own fetch
        // follows the redirects and tells a loop, a long chain or a non-web target, or
        // finds the stream they lead to.
        if (!current_.fetched && isHttp(current_.url)) {
            gst_element_set_state(pipeline_, GST_STATE_NULL);
            fetchPlaylist(current_);
        } else {
            fail(QStringLiteral("Redirected to an address that does not play"));
        }
    } else if (httpStatus_ == 0) {
        const QUrl url = current_.url;
        fail(QStringLiteral("Could not connect to %1").arg(url.host()), true);
        if (url.scheme() != "https") // HTTPS is probed at every open
            diagnoseServer(url);
    } else if (notAudio) {
        // Text where audio was expected may be a playlist that its name did not announce.
        if (!current_.fetched && (isHttp(current_.url) || current_.url.isLocalFile())) {
            gst_element_set_state(pipeline_, GST_STATE_NULL);
            fetchPlaylist(current_);
        } else {
            fail(QStringLiteral("Not an audio stream"));
        }
    } else if (domain == GST_RESOURCE_ERROR && code == GST_RESOURCE_ERROR_NOT_FOUND) {
        fail(current_.url.isLocalFile() ? QStringLiteral("File not found")
                                        : QStringLiteral("Not found"));
    } else if (domain == GST_RESOURCE_ERROR && code == GST_RESOURCE_ERROR_OPEN_READ &&
               current_.url.isLocalFile()) {
        fail(QStringLiteral("File not found"));
    } else {
        // Certificate and TLS failures do not mend by trying again; read errors may.
        const bool secure = text.contains("certificate", Qt::CaseInsensitive) ||
                            text.contains("TLS", Qt::CaseSensitive);
        fail(text, !secure);
    }
}

void GstMediaPlayer::setState(int state, const QString& status) {
    if (state == state_ && status == status_)
        return;
    state_ = state;
    status_ = status;
    emit changed();
}

QString GstMediaPlayer::playingText() const {
    QStringList parts;
    if (!station_.isEmpty())
        parts << station_;
    if (!title_.isEmpty())
        parts << title_;
    return parts.isEmpty() ? QStringLiteral("Playing")
                           : QStringLiteral("Playing: %1").arg(parts.join(QStringLiteral(" - ")));
}

} // namespace platform
