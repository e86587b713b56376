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

TEST(QtMessageBox, ShowsItsPromptAsPlainTextNeverAsMarkup) {
    // Harmless markup: taken as such, an image naming a file that never ends would read it
    // until memory runs out.
    const QString prompt = "/home/u/<b>x</b><img src=\"no-such.png\">/links.dat could not be read";
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    bool found = false;
    // The box runs its own loop; the check runs inside it and dismisses the box.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        found = true;
        format = box->textFormat();
        shown = box->text();
        poll.stop();
        box->accept();
    });
    poll.start();
    platform::QtMessageBox().show(nullptr, prompt, "Korvant Lite",
                                  platform::MessageBox::Icon::Warning);
    ASSERT_TRUE(found);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, prompt);
}

// Answers the folder chooser's dialog from inside its loop: `choose` picks a folder (or
// none, which cancels); returns the folder the dialog opened in.
QString answerFolderDialog(const QString& start, const QString& choose, QString& chosen) {
    QString openedIn;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        poll.stop();
        openedIn = dialog->directory().absolutePath();
        if (choose.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(choose);
            static_cast<QDialog*>(dialog)->accept(); // its own accept is not public
        }
    });
    poll.start();
    chosen = platform::QtFolderChooser().chooseFolder(nullptr, "Recording Folder", start);
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
