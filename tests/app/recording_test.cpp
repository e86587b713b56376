// The record button in the main window: recordings are named after the station the user
// picked, and the button's menu keeps its choices in korvant.ini.
#include "window_fixture.h"

#include "common/program_options.h"
#include "platform/player_view.h"
#include "player/stream_tester.h"

#include <QMenu>
#include <QToolButton>

namespace {

using namespace window_test;

class Recording : public WindowTest {
protected:
    QToolButton& recordButton() const {
        for (QToolButton* b : window->WindowsMediaPlayer1->findChildren<QToolButton*>())
            if (b->accessibleName() == "Record")
                return *b;
        ADD_FAILURE() << "no record button";
        return *window->WindowsMediaPlayer1->findChild<QToolButton*>();
    }
    QAction* menuEntry(const QString& text) const {
        for (QAction* a : recordButton().menu()->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    // Records what plays and stops again; returns what the player was asked to record.
    QString recordOnce() {
        player.state = platform::psPlaying;
        player.takesRecordings = true;
        player.calls.clear();
        recordButton().click();
        recordButton().click();
        return player.calls.value(0);
    }
};

TEST_F(Recording, IsNamedAfterTheStationPickedInTheDropDownTheTrayOrTheFavouriteLabel) {
    const QString into = tmp.path() + "/Radio";
    writeData("korvant.ini",
              "[General]\nrecordingFolder=" + into.toUtf8() + "\nrecordingFilePerTitle=true\n");
    writeFavourites(
        {{"<b>Jazz</b>\tFM", "http://127.0.0.1:9/jazz"}, {"Talk", "http://127.0.0.1:9/talk"}});
    writeSettings(settingsFields("http://127.0.0.1:9/morning", "no", "yes", "Morning Show"));
    load();
    const QString to = "record=" + into + "|";
    EXPECT_EQ(recordOnce(), to + "Morning Show|1") << "streamed at start-up";

    combo().setEditText("<b>Jazz</b> FM");
    window->Combo1_Click();
    EXPECT_EQ(recordOnce(), to + "<b>Jazz</b> FM|1");
    window->mnuSta_Click(1);
    EXPECT_EQ(recordOnce(), to + "Talk|1");
    window->lblFavdisplay_Click();
    EXPECT_EQ(recordOnce(), to + "Morning Show|1");
    // An address of the tester's has no name here: the player names it after the stream.
    window->Frame5->tester->play("http://127.0.0.1:9/other");
    EXPECT_EQ(recordOnce(), to + "|1");
    combo().setEditText("Nobody");
    window->Combo1_Click();
    EXPECT_EQ(recordOnce(), to + "|1") << "a pick that played nothing named the tester's stream";
}

TEST_F(Recording, TheMenusChoicesAreSavedAtOnceAndAFolderThatTakesNoFilesIsRefused) {
    writeData("korvant.ini", "[General]\nnotifications=false\n");
    load();
    // Nothing picked, nothing chosen: the default folder, one file, named by the player.
    EXPECT_EQ(recordOnce(), "record=" + common::defaultRecordingFolder() + "||0");

    const QString chosen = tmp.path() + "/My Recordings";
    ASSERT_TRUE(QDir().mkpath(chosen));
    folders.answer = chosen;
    menuEntry(QString::fromUtf8("Recording Folder\u2026"))->trigger();
    EXPECT_EQ(folders.startedFrom, QStringList({common::defaultRecordingFolder()}));
    menuEntry("New File At Each Title")->trigger();
    EXPECT_EQ(recordOnce(), "record=" + chosen + "||1");
    const QByteArray saved = dataBytes("korvant.ini");
    EXPECT_TRUE(saved.contains("recordingFolder=" + chosen.toUtf8())) << saved.constData();
    EXPECT_TRUE(saved.contains("recordingFilePerTitle=true")) << saved.constData();
    EXPECT_TRUE(saved.contains("notifications=false")) << saved.constData();
    EXPECT_TRUE(messages.shown.empty());

    // A file is no folder: the user is told, and recordings still go where they went.
    writeData("not a folder", "x");
    folders.answer = dataFile("not a folder");
    menuEntry(QString::fromUtf8("Recording Folder\u2026"))->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains(chosen))
        << messages.shown[0].prompt.toStdString();
    EXPECT_EQ(messages.shown[0].icon, platform::MessageBox::Icon::Warning);
    EXPECT_EQ(recordOnce(), "record=" + chosen + "||1");
}

TEST_F(Recording, AChoiceThatCannotBeSavedSaysSoAndHoldsForThisRun) {
    QFile blocker(tmp.path() + "/blocker"); // a file where the data folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    folder = tmp.path() + "/blocker/";
    load();
    menuEntry("New File At Each Title")->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains("korvant.ini could not be saved"))
        << messages.shown[0].prompt.toStdString();
    EXPECT_TRUE(recordOnce().endsWith("|1"));
}

} // namespace
