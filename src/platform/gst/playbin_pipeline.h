#pragma once

#include "platform/gst/failure_classifier.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <functional>
#include <optional>

struct _GstBus;
struct _GstElement;
struct _GstMessage;
struct _GTlsDatabase;

namespace platform {

// A GStreamer playbin, audio only, and its bus: addresses in, one typed event per kind of
// bus message out. Made at the first load, never at construction, so that a program that
// plays nothing does not initialise GStreamer. All events arrive on the thread that owns
// the object (the GUI thread) through one bus watch.
//
// Of each load, only the first fault (an error, or a stream the pipeline refuses) is
// reported; the rest are its echoes. Going to NULL flushes the bus, so nothing of an
// earlier load is delivered after the next one.
class PlaybinPipeline {
public:
    struct Events {
        std::function<void(const PipelineError&)> fault;
        std::function<void()> endOfStream;
        std::function<void(int percent)> buffering;
        // The pipeline reached PLAYING; first: for the first time since the load.
        std::function<void(bool first)> playing;
        // The tags present in one tag message.
        std::function<void(const std::optional<QString>& title,
                           const std::optional<QString>& station)>
            tags;
        std::function<void()> clockLost;
    };

    // audioSinkDescription: a gst-launch description of the audio output; empty means the
    // desktop's default. tlsDatabase: see TlsTrust::database(); it must outlive this.
    PlaybinPipeline(QString audioSinkDescription, Events events);
    PlaybinPipeline(const PlaybinPipeline&) = delete;
    PlaybinPipeline& operator=(const PlaybinPipeline&) = delete;
    ~PlaybinPipeline();

    // Called for every element added inside the pipeline, on whichever thread adds it,
    // before it starts. Set before the first load.
    void setElementWatcher(std::function<void(_GstElement*)> watcher) {
        elementWatcher_ = std::move(watcher);
    }

    bool created() const { return element_ != nullptr; }
    // Makes the pipeline if need be; the reason in words when it cannot be made.
    std::optional<QString> ensureCreated(_GTlsDatabase* tlsDatabase);

    // From NULL, a new load: the address set, what the previous load started and whether
    // it failed forgotten.
    void load(const QUrl& url);
    enum class Start { Started, FaultReported, Refused };
    // Asks the load for PLAYING. A refusal whose reason the pipeline posted is reported
    // through Events::fault before this returns.
    Start start();
    bool play();  // asks for PLAYING; false when refused at once
    bool pause(); // asks for PAUSED; false when refused at once
    void stop();  // NULL: no data flows, and the bus is flushed
    // NULL, and the load forgotten.
    void reset();
    // Restarts the clock after the pipeline lost it.
    void reselectClock();

    // Of the current load: whether it reached PLAYING, the HTTP status of its last
    // response (0 = no connection, -1 = none yet).
    bool startedSinceLoad() const { return started_; }
    int httpStatus() const { return httpStatus_; }
    std::optional<qint64> position() const;
    QStringList decoders() const;
    void setVolume(int volume, bool mute);

private:
    void report(const PipelineError& error);
    void applyVolume();
    static int busCallback(_GstBus* bus, _GstMessage* message, void* self);
    static void onElementAdded(_GstElement* bin, _GstElement* subBin, _GstElement* element,
                               void* self);
    void onMessage(_GstMessage* message);
    void onError(_GstMessage* message);
    void onElementMessage(_GstMessage* message);

    QString sinkDescription_;
    Events events_;
    std::function<void(_GstElement*)> elementWatcher_;
    _GstElement* element_ = nullptr;
    unsigned busWatch_ = 0;
    // Read by streaming threads: the entry being opened came from the network, so nothing
    // it leads to may read a local file.
    std::atomic<bool> remoteEntry_{false};
    bool started_ = false;
    bool faulted_ = false;
    int httpStatus_ = -1;
    int volume_ = 50;
    bool mute_ = false;
};

} // namespace platform
