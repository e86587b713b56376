#include "platform/gst/lazy_media_player.h"

#include "common/module_library.h"
#include "platform/gst/gst_module.h"

#include <algorithm>

namespace platform {

LazyMediaPlayer::LazyMediaPlayer(Maker make, QObject* parent)
    : MediaPlayer(parent), make_(std::move(make)) {}

LazyMediaPlayer::~LazyMediaPlayer() = default;

LazyMediaPlayer::Maker LazyMediaPlayer::fromModule(QString folder, QString audioSink) {
    return [folder = std::move(folder),
            audioSink = std::move(audioSink)](QString* error) -> std::unique_ptr<MediaPlayer> {
        const auto create = reinterpret_cast<gst_module::CreatePlayer>(
            common::moduleFunction(QStringLiteral(KORVANT_GST_MODULE_NAME), folder,
                                   gst_module::kCreatePlayerSymbol, error));
        if (create == nullptr)
            return nullptr;
        return std::unique_ptr<MediaPlayer>(create(audioSink.toUtf8().constData()));
    };
}

MediaPlayer* LazyMediaPlayer::real() {
    if (tried_)
        return real_.get();
    tried_ = true;
    QString error;
    real_ = make_ ? make_(&error) : nullptr;
    if (real_ == nullptr) {
        failure_ = tr("The player could not be loaded: %1")
                       .arg(error.isEmpty() ? tr("no player available") : error);
        emit changed();
        return nullptr;
    }
    real_->settings().setVolume(volume_);
    real_->settings().setMute(mute_);
    // By name: the module has its own copy of MediaPlayer's meta-object.
    connect(real_.get(), SIGNAL(changed()), this, SIGNAL(changed()));
    return real_.get();
}

QString LazyMediaPlayer::URL() const {
    return real_ != nullptr ? real_->URL() : url_;
}

void LazyMediaPlayer::setURL(const QString& url) {
    url_ = url;
    if (MediaPlayer* player = real())
        player->setURL(url);
}

int LazyMediaPlayer::playState() const {
    if (real_ != nullptr)
        return real_->playState();
    return failure_.isEmpty() ? psUndefined : psReady;
}

QString LazyMediaPlayer::status() const {
    return real_ != nullptr ? real_->status() : failure_;
}

QString LazyMediaPlayer::title() const {
    return real_ != nullptr ? real_->title() : QString();
}

void LazyMediaPlayer::startRecording(const RecordingRequest& request) {
    if (real_ != nullptr)
        real_->startRecording(request);
}

void LazyMediaPlayer::stopRecording() {
    if (real_ != nullptr)
        real_->stopRecording();
}

MediaPlayer::Recording LazyMediaPlayer::recording() const {
    return real_ != nullptr ? real_->recording() : Recording{};
}

void LazyMediaPlayer::play() {
    if (MediaPlayer* player = real())
        player->controls().play();
}

void LazyMediaPlayer::stop() {
    if (MediaPlayer* player = real())
        player->controls().stop();
}

void LazyMediaPlayer::pause() {
    if (MediaPlayer* player = real())
        player->controls().pause();
}

bool LazyMediaPlayer::mute() const {
    return real_ != nullptr ? real_->settings().mute() : mute_;
}

void LazyMediaPlayer::setMute(bool mute) {
    if (real_ != nullptr) {
        real_->settings().setMute(mute);
        return;
    }
    if (mute == mute_)
        return;
    mute_ = mute;
    emit changed();
}

int LazyMediaPlayer::volume() const {
    return real_ != nullptr ? real_->settings().volume() : volume_;
}

void LazyMediaPlayer::setVolume(int volume) {
    if (real_ != nullptr) {
        real_->settings().setVolume(volume);
        return;
    }
    volume = std::clamp(volume, 0, 100);
    if (volume == volume_)
        return;
    volume_ = volume;
    emit changed();
}

} // namespace platform
