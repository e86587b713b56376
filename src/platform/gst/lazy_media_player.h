#pragma once

#include "platform/media_player.h"

#include <functional>
#include <memory>

namespace platform {

// The program's media player: a stand-in that makes the real player only when it is
// first asked to do something (an address, play, pause or stop). Until then it answers
// for the real one: no address, state Undefined, no status, and it keeps mute and volume
// (50 at creation), which the real player takes over when it is made. So a start-up that
// plays nothing never loads GStreamer and its libraries.
//
// If the real player cannot be made, the stand-in stays in state Ready with the reason in
// status() and ignores what it is asked, as a player does with an address it cannot open.
class LazyMediaPlayer final : public MediaPlayer,
                              private MediaPlayer::Controls,
                              private MediaPlayer::Settings {
    Q_OBJECT
public:
    // Makes the real player, or returns null and says why in *error.
    using Maker = std::function<std::unique_ptr<MediaPlayer>(QString* error)>;

    explicit LazyMediaPlayer(Maker make, QObject* parent = nullptr);
    ~LazyMediaPlayer() override;

    // A maker that loads the korvant_gst module from `folder` (by default the folder of the
    // program file) and makes its player, with the audio output `audioSink` (a gst-launch
    // description; empty for the desktop's default). The module is never unloaded.
    static Maker fromModule(QString folder = {}, QString audioSink = {});

    // True once the real player exists.
    bool isLoaded() const { return real_ != nullptr; }

    QString URL() const override;
    void setURL(const QString& url) override;
    int playState() const override;
    QString status() const override;
    QString title() const override;
    // Recording needs a stream, so these never make the real player.
    void startRecording(const RecordingRequest& request) override;
    void stopRecording() override;
    Recording recording() const override;
    MediaPlayer::Controls& controls() override { return *this; }
    MediaPlayer::Settings& settings() override { return *this; }

private:
    void play() override;
    void stop() override;
    void pause() override;
    bool mute() const override;
    void setMute(bool mute) override;
    int volume() const override;
    void setVolume(int volume) override;

    // The real player, made on first use; null when it could not be made.
    MediaPlayer* real();

    Maker make_;
    std::unique_ptr<MediaPlayer> real_;
    bool tried_ = false;
    QString url_;
    QString failure_;
    bool mute_ = false;
    int volume_ = 50;
};

} // namespace platform
