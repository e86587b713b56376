// The program's modal dialogs: the message box, whose prompt carries file names and reasons
// from outside, and the folder chooser.
#include "platform/qt_folder_chooser.h"
#include "platform/qt_message_box.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs run(), and from inside the loop of the first modal Dialog it opens calls answer with
// that dialog (answer closes it).
template <class Dialog, class Answer, class Run> void answerModal(Answer answer, Run run) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            answer(dialog);
        }
    });
    poll.start();
    run();
}

TEST(QtMessageBox, ShowsItsPromptAsPlainTextNeverAsMarkup) {
    // Harmless markup: taken as such, an image naming a file that never ends would read it
    // until memory runs out.
    const QString prompt = "/home/u/<b>x</b><img src=\"no-such.png\">/links.dat could not be read";
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    bool found = false;
    answerModal<QMessageBox>(
        [&](QMessageBox* box) {
            found = true;
            format = box->textFormat();
            shown = box->text();
            box->accept();
        },
        [&] {
            platform::QtMessageBox().show(nullptr, prompt, "Korvant Lite",
                                          platform::MessageBox::Icon::Warning);
        });
    ASSERT_TRUE(found);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, prompt);
}

// Answers the folder chooser's dialog from inside its loop: `choose` picks a folder (or
// none, which cancels); returns the folder the dialog opened in.
QString answerFolderDialog(const QString& start, const QString& choose, QString& chosen) {
    QString openedIn;
    answerModal<QFileDialog>(
        [&](QFileDialog* dialog) {
            openedIn = dialog->directory().absolutePath();
            if (choose.isEmpty()) {
                dialog->reject();
            } else {
                dialog->selectFile(choose);
                static_cast<QDialog*>(dialog)->accept(); // its own accept is not public
            }
        },
        [&] {
            chosen = platform::QtFolderChooser().chooseFolder(nullptr, "Recording Folder", start);
        });
    return openedIn;
}

TEST(QtFolderChooser, OpensAtTheNearestFolderThatIsThereAndGivesTheChoiceOrNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Music/Jazz"));
    const QString music = QDir(dir.filePath("Music")).absolutePath();
    // The default folder before the first recording: not there yet.
    QString chosen;
    EXPECT_EQ(answerFolderDialog(music + "/Korvant Lite/more", music + "/Jazz", chosen), music);
    EXPECT_EQ(chosen, music + "/Jazz");
    EXPECT_EQ(answerFolderDialog(music, QString(), chosen), music);
    EXPECT_EQ(chosen, QString()) << "a cancelled choice chose a folder";
}

} // namespace
