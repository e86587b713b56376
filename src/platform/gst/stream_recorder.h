#pragma once

#include "platform/gst/recording_writer.h"
#include "platform/media_player.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <memory>

class QObject;

namespace platform {

// The player's recording, on the thread that owns the player: what was asked, how long it
// has run, what the writer reports (passed on queued to context), and when to start a new
// file. changed is called when a recording starts, ends, or moves to a new file.
class StreamRecorder {
public:
    StreamRecorder(QObject* context, std::function<void()> changed);
    ~StreamRecorder();
    StreamRecorder(const StreamRecorder&) = delete;
    StreamRecorder& operator=(const StreamRecorder&) = delete;

    // For the pipeline's tap; lives as long as any tap holds it.
    const std::shared_ptr<RecordingWriter>& writer() const { return writer_; }

    // What the player knows of the stream when the recording starts: its own name, the
    // host of the address, the title now.
    struct Stream {
        QString name;
        QString host;
        QString title;
    };
    void start(const MediaPlayer::RecordingRequest& request, const Stream& stream);
    // Ends the recording (if any); error: why, when it ended by itself.
    void stop(const QString& error = {});
    MediaPlayer::Recording state() const;
    bool active() const { return active_; }

    // A new address is opened.
    void newLoad() { writer_->newLoad(); }
    // The stream plays: one that is not carried in a way it can be written ends the
    // recording.
    void streamPlaying();
    void streamNamed(const QString& name);
    void titled(const QString& title);

private:
    void onEvent(quint64 session, const RecordingWriter::Event& event);
    QString stemFor(const QString& title) const;

    QObject* context_;
    std::function<void()> changed_;
    std::shared_ptr<RecordingWriter> writer_;
    std::atomic<quint64> session_{0};
    bool active_ = false;
    MediaPlayer::RecordingRequest request_;
    QString station_; // the name files are given
    bool stationFromRequest_ = false;
    QDateTime startTime_;
    QString title_;
    QString file_;
    QString error_;
    QElapsedTimer elapsed_;
    qint64 elapsedMs_ = 0; // of the last recording, once it ended
};

} // namespace platform
