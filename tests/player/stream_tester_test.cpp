// The stream tester on the main panel: showing and hiding it, and what "Test" hands to
// the player.
#include "window_fixture.h"

#include "common/click_label.h"
#include "player/stream_tester.h"

#include "platform/qt_message_box.h"

#include <QAccessible>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

using namespace window_test;

class StreamTester : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeFavourites({{"Jazz", "u0"}});
        load();
        tester = window->Frame5->tester;
    }
    bool shown(QWidget* w) const { return w->isVisibleTo(window->Frame5); }
    player::StreamTester* tester = nullptr;
};

TEST_F(StreamTester, TheLabelTogglesTheTesterAndItsCaptionAndHidingKeepsTheText) {
    EXPECT_EQ(tester->lblTeststr->text(), "Stream Tester");
    EXPECT_FALSE(shown(tester->Text1));
    EXPECT_FALSE(shown(tester->cmdStreamtest));

    emit tester->lblTeststr->clicked();
    EXPECT_EQ(tester->lblTeststr->text(), "Hide Stream Tester");
    EXPECT_TRUE(shown(tester->Text1));
    EXPECT_TRUE(shown(tester->cmdStreamtest));
    tester->Text1->setText("http://127.0.0.1:1/typed");

    tester->lblTeststr_Click();
    EXPECT_EQ(tester->lblTeststr->text(), "Stream Tester");
    EXPECT_FALSE(shown(tester->Text1));
    EXPECT_FALSE(shown(tester->cmdStreamtest));

    tester->lblTeststr_Click();
    EXPECT_EQ(tester->Text1->text(), "http://127.0.0.1:1/typed");
    EXPECT_TRUE(player.calls.isEmpty());
}

TEST_F(StreamTester, AnEmptyAddressAsksForOneAndPlaysNothing) {
    tester->lblTeststr_Click();
    emit tester->cmdStreamtest->clicked();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "You must enter a URL to test.");
    EXPECT_EQ(messages.shown[0].caption, "Korvant Lite");
    EXPECT_TRUE(player.calls.isEmpty());
}

TEST_F(StreamTester, AnyNonEmptyAddressIsPlayedUnchangedEachTime) {
    tester->lblTeststr_Click();
    tester->Text1->setText("   ");
    tester->cmdStreamtest_Click();
    tester->Text1->setText(" http://127.0.0.1:1/x ");
    tester->cmdStreamtest_Click();
    emit tester->cmdStreamtest->clicked();
    emit tester->Text1->returnPressed();
    EXPECT_EQ(player.urls, QStringList({"   ", " http://127.0.0.1:1/x ", " http://127.0.0.1:1/x ",
                                        " http://127.0.0.1:1/x "}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StreamTester, TestingChangesNeitherTheDropDownNorTheStatusLine) {
    window->mnuSta_Click(0);
    const QString text = combo().currentText();
    const QString line = status();
    tester->lblTeststr_Click();
    tester->Text1->setText("http://127.0.0.1:1/other");
    tester->cmdStreamtest_Click();
    EXPECT_EQ(player.urls.last(), "http://127.0.0.1:1/other");
    EXPECT_EQ(combo().currentText(), text);
    EXPECT_EQ(status(), line);
    EXPECT_EQ(comboItems().first(), "Jazz");
}

// The real message box, as a screen reader's bridge finds it. (The toolkit posts the
// Alert event from the box's show; offscreen there is no bridge to receive it.)
TEST(StreamTesterMessage, AnEmptyAddressIsAnnouncedAsAModalAlert) {
    QWidget panel;
    fakes::FakeMediaPlayer player;
    platform::QtMessageBox messages;
    player::StreamTester tester(&panel, player, messages);
    panel.show();
    tester.lblTeststr_Click();

    QAccessible::Role role = QAccessible::NoRole;
    QString name, text;
    bool modal = false;
    // The box blocks until answered: read it and press OK once it is up.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* up = QApplication::activeModalWidget();
        if (up == nullptr || !up->isVisible())
            return;
        answer.stop();
        auto* box = qobject_cast<QMessageBox*>(up);
        if (box == nullptr) { // not a message box: close it so the test goes on to fail
            up->close();
            return;
        }
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(box);
        if (read != nullptr) {
            role = read->role();
            name = read->text(QAccessible::Name);
            text = read->text(QAccessible::Value) + read->text(QAccessible::Description);
        }
        modal = box->isModal();
        box->button(QMessageBox::Ok)->click();
    });
    answer.start(10);
    tester.cmdStreamtest_Click();

    EXPECT_TRUE(modal);
    EXPECT_EQ(role, QAccessible::AlertMessage);
    EXPECT_EQ(name, "Korvant Lite");
    EXPECT_TRUE(text.contains("You must enter a URL to test.")) << text.toStdString();
    EXPECT_TRUE(player.calls.isEmpty());
}

} // namespace
