#include "player/recording_choices.h"

#include "common/program_options.h"
#include "common/remote_text.h"
#include "platform/folder_chooser.h"
#include "platform/message_box.h"

#include <QDir>
#include <QFileInfo>

namespace player {

RecordingChoices::RecordingChoices(Setup setup) : setup_(std::move(setup)) {
    const common::ProgramOptions options = common::readProgramOptions(setup_.optionsFile);
    folder_ = options.recordingFolder;
    filePerTitle_ = options.recordingFilePerTitle;
}

void RecordingChoices::picked(const QString& name) {
    pickedName_ = name;
    pickedUrl_ = setup_.player.URL();
}

platform::MediaPlayer::RecordingRequest RecordingChoices::request() const {
    platform::MediaPlayer::RecordingRequest request;
    request.folder = folder_;
    request.filePerTitle = filePerTitle_;
    // The tester's addresses and a favourite edited since it was picked have no name of
    // ours: the player names those after the stream.
    if (!pickedUrl_.isEmpty() && setup_.player.URL() == pickedUrl_)
        request.station = common::cleanRemoteText(pickedName_).trimmed();
    return request;
}

void RecordingChoices::setFilePerTitle(bool on) {
    if (on == filePerTitle_)
        return;
    // The choice holds for this run either way; the user learns it will not outlast it.
    filePerTitle_ = on;
    report(common::saveRecordingFilePerTitle(setup_.optionsFile, on));
}

void RecordingChoices::chooseFolder(QWidget* parent) {
    const QString chosen = setup_.folders.chooseFolder(parent, tr("Recording Folder"), folder_);
    if (chosen.isEmpty())
        return;
    const QFileInfo folder(chosen);
    if (!folder.isAbsolute() || !folder.isDir() || !folder.isWritable()) {
        setup_.messages.show(
            parent,
            tr("Recordings cannot be written to %1, so they still go to %2.")
                .arg(QDir::toNativeSeparators(chosen), QDir::toNativeSeparators(folder_)),
            QStringLiteral("Korvant Lite"), platform::MessageBox::Icon::Warning);
        return;
    }
    folder_ = QDir::cleanPath(folder.absoluteFilePath());
    report(common::saveRecordingFolder(setup_.optionsFile, folder_));
}

void RecordingChoices::report(const QString& why) {
    if (!why.isEmpty() && setup_.reportSaveFailure)
        setup_.reportSaveFailure(QLatin1String(common::kOptionsFileName), why);
}

} // namespace player
