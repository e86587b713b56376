#include "platform/gst/stream_recorder.h"
#include "platform/gst/recording_names.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QObject>

namespace platform {

namespace {

const QString unrecordable = QStringLiteral("This stream cannot be recorded as it arrives");

} // namespace

StreamRecorder::StreamRecorder(QObject* context, std::function<void()> changed)
    : context_(context), changed_(std::move(changed)) {
    // The writer tells from the streaming thread; the news is read here, on the owner's
    // thread, and dropped if it belongs to an earlier recording.
    writer_ = std::make_shared<RecordingWriter>([this](const RecordingWriter::Event& event) {
        const quint64 session = session_.load(); // the recording this belongs to
        QMetaObject::invokeMethod(
            context_, [this, session, event] { onEvent(session, event); }, Qt::QueuedConnection);
    });
}

StreamRecorder::~StreamRecorder() {
    writer_->end();
    writer_->detach();
}

void StreamRecorder::start(const MediaPlayer::RecordingRequest& request, const Stream& stream) {
    if (active_)
        return;
    error_.clear();
    file_.clear();
    const QString folder = QDir::cleanPath(QDir(request.folder).absolutePath());
    if (request.folder.trimmed().isEmpty() || !QDir().mkpath(folder)) {
        error_ =
            QStringLiteral("The folder %1 cannot be made").arg(QDir::toNativeSeparators(folder));
    } else if (const QFileInfo info(folder); !info.isDir() || !info.isWritable()) {
        error_ =
            QStringLiteral("The folder %1 cannot be written").arg(QDir::toNativeSeparators(folder));
    }
    if (!error_.isEmpty()) {
        elapsedMs_ = 0;
        changed_();
        return;
    }
    request_ = request;
    request_.folder = folder;
    stationFromRequest_ = !request.station.trimmed().isEmpty();
    station_ = stationFromRequest_                ? request.station
               : !stream.name.trimmed().isEmpty() ? stream.name
                                                  : stream.host;
    startTime_ = QDateTime::currentDateTime();
    title_ = stream.title;
    active_ = true;
    elapsed_.start();
    elapsedMs_ = 0;
    writer_->end(); // anything of an earlier recording is closed before the session moves on
    ++session_;
    writer_->begin(folder, stemFor(title_));
    changed_();
}

void StreamRecorder::stop(const QString& error) {
    if (!active_)
        return;
    writer_->end();
    if (const QString file = writer_->file(); !file.isEmpty())
        file_ = file;
    active_ = false;
    elapsedMs_ = elapsed_.elapsed();
    error_ = error;
    changed_();
}

MediaPlayer::Recording StreamRecorder::state() const {
    MediaPlayer::Recording r;
    r.active = active_;
    // The writer's own, so that file and bytes agree before the news has come.
    r.file = active_ ? writer_->file() : file_;
    r.bytes = writer_->bytes();
    r.elapsedMs = active_ ? elapsed_.elapsed() : elapsedMs_;
    r.error = error_;
    return r;
}

void StreamRecorder::streamPlaying() {
    if (active_ && writer_->encoding() == framing::Encoding::Unknown)
        stop(unrecordable);
}

void StreamRecorder::streamNamed(const QString& name) {
    if (!active_ || stationFromRequest_ || name.trimmed().isEmpty() || name == station_)
        return;
    station_ = name;
    writer_->renameFirst(stemFor(title_));
}

void StreamRecorder::titled(const QString& title) {
    if (!active_ || title == title_)
        return;
    title_ = title;
    if (request_.filePerTitle)
        writer_->nextFile(stemFor(title_));
}

QString StreamRecorder::stemFor(const QString& title) const {
    if (request_.filePerTitle) {
        const QString stem = recording::safeStem(title);
        if (!stem.isEmpty())
            return stem;
    }
    return recording::stationStem(station_, startTime_);
}

void StreamRecorder::onEvent(quint64 session, const RecordingWriter::Event& event) {
    if (session != session_ || !active_)
        return;
    switch (event.kind) {
    case RecordingWriter::Event::Kind::FileOpened:
        file_ = event.file;
        changed_();
        break;
    case RecordingWriter::Event::Kind::Failed:
        if (!event.file.isEmpty())
            file_ = event.file;
        stop(event.reason);
        break;
    }
}

} // namespace platform
