#pragma once

#include "platform/player_view.h"

#include <QCoreApplication>
#include <QString>
#include <functional>

namespace platform {
class FolderChooser;
class MessageBox;
} // namespace platform

namespace player {

// The record button's choices as the program keeps them: the folder and the file-per-title
// mark, read from the options file at start and saved to it as soon as they change, and
// the name of the station picked last, which names the files.
class RecordingChoices final : public platform::RecordingSetup {
    Q_DECLARE_TR_FUNCTIONS(player::RecordingChoices)
public:
    struct Setup {
        platform::MediaPlayer& player;
        platform::FolderChooser& folders;
        platform::MessageBox& messages;
        QString optionsFile; // korvant.ini, with its path
        // Tells the user the options file could not be saved (its name and why).
        std::function<void(const QString& fileName, const QString& why)> reportSaveFailure;
    };

    explicit RecordingChoices(Setup setup);

    // A station was picked by its name (a favourite, the default favourite) and its
    // address handed to the player just now. Recordings of that address are named after
    // it; anything else the player names after the stream's own name or its host.
    void picked(const QString& name);

    platform::MediaPlayer::RecordingRequest request() const override;
    void setFilePerTitle(bool on) override;
    void chooseFolder(QWidget* parent) override;

private:
    void report(const QString& why);

    Setup setup_;
    QString folder_;
    bool filePerTitle_ = false;
    QString pickedName_;
    QString pickedUrl_;
};

} // namespace player
