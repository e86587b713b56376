#include "platform/gst/gst_media_player.h"
#include "platform/gst/stream_tap.h"
#include "playlists/playlist.h"

#include <algorithm>

namespace platform {

namespace {

// On a reconnect, playback starts once the network buffer holds this share of its target
// rather than all of it: a mount that has just come back has no burst to send, so a full
// buffer would take its whole length in real time, all of it silence for the user.
constexpr int reconnectStartPercent = 20;

bool isHttp(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https";
}

} // namespace

GstMediaPlayer::GstMediaPlayer(QString audioSinkDescription, QObject* parent)
    : MediaPlayer(parent),
      pipeline_(std::move(audioSinkDescription),
                {
                    [this](const PipelineError& e) { onFault(e); },
                    [this] { onEndOfStream(); },
                    [this](int percent) { onBuffering(percent); },
                    [this](bool first) { onPlaying(first); },
                    [this](const auto& title, const auto& station) { onTags(title, station); },
                    [this] {
                        if (phase_ != Phase::Paused)
                            pipeline_.reselectClock();
                    },
                }),
      resolver_(this, trust_,
                {
                    [this](const StreamEntry& entry) { playEntry(entry); },
                    [this](const Failure& failure) { fail(failure); },
                    [this](const QString& host) {
                        enter(Phase::Resolving, QStringLiteral("Connecting to %1...").arg(host));
                    },
                    [this] { onExhausted(); },
                    [this] { return supervisor_.everPlayed(); },
                }),
      supervisor_(this, trust_,
                  {
                      [this](int seconds) {
                          enter(Phase::WaitingToReconnect,
                                QStringLiteral("Reconnecting in %1 s").arg(seconds));
                      },
                      // The original address again, so that a playlist is read afresh.
                      [this] { open(false); },
                      [this] { onStartOverdue(); },
                      [this]() -> std::optional<qint64> {
                          if (phase_ != Phase::Playing)
                              return std::nullopt;
                          return pipeline_.position();
                      },
                      [this] {
                          fail({QStringLiteral("The stream stalled"), true});
                      },
                      [this](const QString& reason) {
                          if (phase_ != Phase::Failed)
                              return;
                          lastFailure_.reason = QStringLiteral("Could not connect: %1").arg(reason);
                          showFailure(lastFailure_.reason);
                      },
                      [this](const QString& reason) {
                          halt(); // also ends the probe
                          lastFailure_.reason =
                              QStringLiteral("Certificate not accepted: %1").arg(reason);
                          showFailure(lastFailure_.reason);
                      },
                      [this](const auto& result, const QUrl& url) { onDiagnosed(result, url); },
                  }),
      recorder_(this, [this] { emit changed(); }) {
    pipeline_.setElementWatcher(
        [writer = recorder_.writer()](auto* element) { tapEncodedStream(element, writer); });
}

GstMediaPlayer::~GstMediaPlayer() {
    halt();
}

void GstMediaPlayer::trustOnlyCertificatesIn(const QString& pemFile) {
    if (!pipeline_.created())
        trust_.trustOnly(pemFile);
}

int GstMediaPlayer::playState() const {
    switch (phase_) {
    case Phase::Idle:
        return status_.isEmpty() ? psUndefined : psStopped;
    case Phase::Resolving:
    case Phase::Connecting:
        return psTransitioning;
    case Phase::Buffering:
        return psBuffering;
    case Phase::Playing:
        return psPlaying;
    case Phase::Paused:
        return psPaused;
    case Phase::WaitingToReconnect:
        return psReconnecting;
    case Phase::Failed:
        return psReady;
    }
    return psUndefined;
}

void GstMediaPlayer::setURL(const QString& url) {
    recorder_.stop();
    url_ = url;
    open(true);
}

void GstMediaPlayer::play() {
    if (pipeline_.created() && phase_ == Phase::Paused) {
        enter(Phase::Connecting, QStringLiteral("Resuming..."));
        if (!pipeline_.play())
            fail({QStringLiteral("Could not resume playing")});
        return;
    }
    if (phase_ == Phase::Playing || phase_ == Phase::Buffering || phase_ == Phase::Resolving ||
        phase_ == Phase::Connecting)
        return;
    open(true);
}

void GstMediaPlayer::pause() {
    const bool active = phase_ == Phase::Playing || phase_ == Phase::Buffering ||
                        phase_ == Phase::Resolving || phase_ == Phase::Connecting;
    if (!pipeline_.created() || !active || resolver_.fetching())
        return;
    if (!pipeline_.pause()) {
        fail({QStringLiteral("Could not pause")});
        return;
    }
    enter(Phase::Paused, QStringLiteral("Paused"));
}

void GstMediaPlayer::stop() {
    halt();
    supervisor_.forget();
    enter(Phase::Idle, QStringLiteral("Stopped"));
}

void GstMediaPlayer::startRecording(const RecordingRequest& request) {
    if (phase_ == Phase::Idle || phase_ == Phase::Failed)
        return;
    const QString host =
        resolver_.current().url.isEmpty() ? QUrl(url_).host() : resolver_.current().url.host();
    recorder_.start(request, {station_, host, title_});
    if (phase_ == Phase::Playing || (phase_ == Phase::Paused && pipeline_.startedSinceLoad()))
        recorder_.streamPlaying();
}

void GstMediaPlayer::setMute(bool mute) {
    if (mute == mute_)
        return;
    mute_ = mute;
    pipeline_.setVolume(volume_, mute_);
    emit changed();
}

void GstMediaPlayer::setVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (volume == volume_)
        return;
    volume_ = volume;
    pipeline_.setVolume(volume_, mute_);
    emit changed();
}

void GstMediaPlayer::open(bool fresh) {
    halt();
    supervisor_.begin(fresh);
    title_.clear();
    station_.clear();
    lastFailure_ = {};
    const playlists::Address address = playlists::resolveAddress(url_);
    if (!address.error.isEmpty()) {
        showFailure(address.error);
        return;
    }
    resolver_.begin(address.url);
    supervisor_.startDeadline(resolveBudgetMs);
    resolver_.next();
}

void GstMediaPlayer::playEntry(const StreamEntry& entry) {
    if (const std::optional<QString> why = pipeline_.ensureCreated(trust_.database())) {
        showFailure(*why);
        return;
    }
    pipeline_.load(entry.url);
    recorder_.newLoad();
    if (entry.url.scheme() == "https")
        supervisor_.probe(entry.url);
    enter(Phase::Connecting, entry.url.isLocalFile()
                                 ? QStringLiteral("Opening %1...").arg(entry.url.fileName())
                                 : QStringLiteral("Connecting to %1...").arg(entry.url.host()));
    if (pipeline_.start() == PlaybinPipeline::Start::Refused)
        fail({QStringLiteral("Could not open this address")});
}

void GstMediaPlayer::fail(const Failure& failure) {
    supervisor_.stopWatchdog();
    pipeline_.stop();
    lastFailure_ = failure;
    resolver_.next();
}

void GstMediaPlayer::onExhausted() {
    supervisor_.stopDeadline(); // the address has ended, with its reason
    if (supervisor_.everPlayed() && lastFailure_.transient)
        supervisor_.scheduleReconnect();
    else
        showFailure(lastFailure_.reason.isEmpty() ? QStringLiteral("Could not play this address")
                                                  : lastFailure_.reason);
}

void GstMediaPlayer::onFault(const PipelineError& error) {
    const StreamEntry entry = resolver_.current();
    ErrorContext context;
    context.httpStatus = pipeline_.httpStatus();
    context.everPlayed = supervisor_.everPlayed();
    context.localFile = entry.url.isLocalFile();
    context.http = isHttp(entry.url);
    context.https = entry.url.scheme() == "https";
    context.fetched = entry.fetched;
    context.host = entry.url.host();
    const ErrorVerdict verdict = classifyPipelineError(error, context);
    switch (verdict.action) {
    case ErrorAction::ReadAsPlaylist:
        pipeline_.stop();
        resolver_.fetch(entry);
        return;
    case ErrorAction::Fail:
        fail(verdict.failure);
        return;
    case ErrorAction::FailAndDiagnose:
        fail(verdict.failure);
        supervisor_.diagnose(entry.url);
        return;
    }
}

void GstMediaPlayer::onEndOfStream() {
    // A file ends; a radio stream that ends has lost its server or its source.
    const bool started = pipeline_.startedSinceLoad();
    if (resolver_.current().url.isLocalFile() && started) {
        halt();
        enter(Phase::Idle, QStringLiteral("Finished"));
        return;
    }
    fail({started ? QStringLiteral("The stream ended")
                  : QStringLiteral("The stream ended before it started"),
          started});
}

void GstMediaPlayer::onBuffering(int percent) {
    // Buffering is waited for only until playback first starts. Afterwards the level of a
    // live stream dips below full all the time, and pausing on each dip would silence it
    // for a second at a time.
    if (pipeline_.startedSinceLoad() || phase_ == Phase::Paused)
        return;
    const int enough = supervisor_.retrying() ? reconnectStartPercent : 100;
    if (percent < enough) {
        if (phase_ != Phase::Buffering)
            pipeline_.pause();
        enter(Phase::Buffering, QStringLiteral("Buffering %1%").arg(percent));
    } else {
        pipeline_.play();
    }
}

void GstMediaPlayer::onPlaying(bool first) {
    supervisor_.playing(first);
    recorder_.streamPlaying();
    // A PLAYING reached just before the user's pause took hold is followed by PAUSED.
    if (phase_ != Phase::Paused)
        enter(Phase::Playing, playingText());
}

void GstMediaPlayer::onTags(const std::optional<QString>& title,
                            const std::optional<QString>& station) {
    if (title)
        title_ = *title;
    if (station)
        station_ = *station;
    if (station)
        recorder_.streamNamed(station_);
    if (title)
        recorder_.titled(title_);
    if (phase_ == Phase::Playing)
        enter(Phase::Playing, playingText());
}

void GstMediaPlayer::onStartOverdue() {
    if (pipeline_.startedSinceLoad() || phase_ == Phase::Paused)
        return; // a pause while opening is the user's own wait
    Failure failure =
        classifyStartTimeout(phase_ == Phase::Buffering, lastFailure_, resolveBudgetMs / 1000);
    // A diagnosis under way goes on to put the last failure in words; one already connected
    // and unanswered has said enough.
    if (failure.reason == couldNotConnectText(resolver_.current().url.host()) &&
        supervisor_.abandonSilentDiagnosis())
        failure.reason = QStringLiteral("The server does not answer");
    halt(ConnectionSupervisor::Diagnosis::Keep); // also ends any entries still to try
    lastFailure_ = failure;
    resolver_.next();
}

void GstMediaPlayer::onDiagnosed(const PlaylistFetch::Result& result, const QUrl& url) {
    // An answer now, or a refusal by status, leaves the source's own words.
    const QString unrefined = couldNotConnectText(url.host());
    if (result.outcome != PlaylistFetch::Outcome::Failed || result.why.isEmpty() ||
        lastFailure_.reason != unrefined)
        return;
    lastFailure_.reason = result.why;
    if (phase_ == Phase::Failed && status_ == unrefined)
        showFailure(result.why);
}

void GstMediaPlayer::halt(ConnectionSupervisor::Diagnosis diagnosis) {
    supervisor_.halt(diagnosis);
    resolver_.clear();
    pipeline_.reset();
}

void GstMediaPlayer::showFailure(const QString& why) {
    enter(Phase::Failed, why);
}

void GstMediaPlayer::enter(Phase phase, const QString& status) {
    const int before = playState();
    const QString statusBefore = status_;
    phase_ = phase;
    status_ = status;
    // Stopped, finished or given up: the recording ends with the stream.
    if (phase == Phase::Idle || phase == Phase::Failed)
        recorder_.stop();
    if (playState() != before || status_ != statusBefore)
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
