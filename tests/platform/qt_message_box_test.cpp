// The program's message box: a prompt carries file names and reasons from outside.
#include "platform/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
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

} // namespace
