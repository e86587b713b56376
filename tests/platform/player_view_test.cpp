// The player's own controls drive any MediaPlayer and show what it is doing.
#include "fakes.h"
#include "platform/glyphs.h"
#include "platform/player_view.h"
#include "wait.h"

#include "common/remote_text.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

template <typename T> T* byName(QWidget& root, const QString& name) {
    for (T* w : root.findChildren<T*>())
        if (w->accessibleName() == name)
            return w;
    return nullptr;
}

// The status line is described as such; its name is whatever it shows.
QLabel* statusLine(QWidget& root) {
    for (QLabel* w : root.findChildren<QLabel*>())
        if (w->accessibleDescription() == "Player status")
            return w;
    return nullptr;
}

TEST(PlayerView, ShowsTransportMuteVolumeAtFiftyAndAStatusLine) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    for (const char* name : {"Play", "Pause", "Stop"})
        EXPECT_NE(byName<QPushButton>(view, name), nullptr) << name;
    ASSERT_NE(byName<QToolButton>(view, "Mute"), nullptr);
    ASSERT_NE(byName<QSlider>(view, "Volume"), nullptr);
    EXPECT_EQ(byName<QSlider>(view, "Volume")->value(), 50);
    ASSERT_NE(statusLine(view), nullptr);
    EXPECT_EQ(statusLine(view)->text(), "Ready");
}

TEST(PlayerView, ButtonsAndSliderDriveThePlayer) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    byName<QPushButton>(view, "Play")->click();
    byName<QPushButton>(view, "Pause")->click();
    byName<QPushButton>(view, "Stop")->click();
    byName<QToolButton>(view, "Mute")->click();
    EXPECT_EQ(player.calls, QStringList({"play", "pause", "stop", "mute=1"}));
    byName<QSlider>(view, "Volume")->setValue(80);
    EXPECT_EQ(player.vol, 80);
}

TEST(PlayerView, FollowsChangesMadeToThePlayerElsewhere) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    player.statusText = "Buffering 45%";
    player.muted = true;
    player.vol = 20;
    emit player.changed();
    EXPECT_EQ(statusLine(view)->text(), "Buffering 45%");
    EXPECT_TRUE(byName<QToolButton>(view, "Mute")->isChecked());
    EXPECT_EQ(byName<QSlider>(view, "Volume")->value(), 20);
    EXPECT_EQ(player.calls, QStringList()); // following is not driving
}

TEST(PlayerView, StatusLineIsReadOutAsTheStatusItShows) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    QLabel* line = statusLine(view);
    ASSERT_NE(line, nullptr);
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(line);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->text(QAccessible::Name), "Ready");
    EXPECT_EQ(read->text(QAccessible::Description), "Player status");
    player.statusText = "Playing: Night Jazz";
    emit player.changed();
    EXPECT_EQ(read->text(QAccessible::Name), "Playing: Night Jazz");
}

TEST(PlayerView, AStationsMarkupShowsAsPlainTextOnTheLineAndInItsTooltipWhenHovered) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    QLabel* line = statusLine(view);
    ASSERT_NE(line, nullptr);
    // Rendered as markup, the image reads a file that never ends until memory runs out.
    const QString status = "Playing: Radio - <img src=\"/dev/zero\"><b>x</b>";
    player.statusText = status;
    emit player.changed();
    EXPECT_EQ(line->textFormat(), Qt::PlainText);
    EXPECT_EQ(line->text(), status);
    const QString tip = line->toolTip();
    ASSERT_FALSE(tip.contains("<img")) << tip.toStdString();
    QTextDocument shown;
    shown.setHtml(tip);
    EXPECT_EQ(shown.toPlainText(), status);

    // One hover shows it, as the text it is.
    view.resize(400, 80);
    view.show();
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), line->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(line, &hover);
    EXPECT_TRUE(testsupport::waitFor([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), tip);
    QToolTip::hideText();
}

TEST(PlayerView, ATitleWithLineBreaksControlsAndDirectionOverridesStaysOneCappedLine) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    QLabel* line = statusLine(view);
    ASSERT_NE(line, nullptr);
    player.statusText = QString::fromUtf16(u"Playing: One\r\nTwo\x07 \u202E3pm.exe");
    emit player.changed();
    EXPECT_EQ(line->text(), "Playing: One Two 3pm.exe");
    player.statusText = "Playing: " + QString(100 * 1024, QLatin1Char('t'));
    emit player.changed();
    EXPECT_EQ(line->text().size(), common::kRemoteTextMaxLength);
    EXPECT_TRUE(line->text().startsWith("Playing: ttt"));
}

QLabel* sleepCountdown(QWidget& root) {
    for (QLabel* w : root.findChildren<QLabel*>())
        if (w->accessibleDescription() == "Sleep timer count-down")
            return w;
    return nullptr;
}

QAction* entry(QToolButton& button, const QString& text) {
    for (QAction* a : button.menu()->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

TEST(PlayerView, TheSleepMenuStartsACountDownThatCancelOrStopHides) {
    fakes::FakeMediaPlayer player;
    player.state = platform::psPlaying;
    platform::PlayerView view(player);
    auto* sleep = byName<QToolButton>(view, "Sleep timer");
    ASSERT_NE(sleep, nullptr);
    ASSERT_NE(sleep->menu(), nullptr);
    EXPECT_EQ(sleep->popupMode(), QToolButton::InstantPopup);
    for (const char* text : {"15 minutes", "30 minutes", "60 minutes", "90 minutes", "Other\u2026",
                             "Cancel Sleep Timer"})
        EXPECT_NE(entry(*sleep, QString::fromUtf8(text)), nullptr) << text;
    QLabel* countdown = sleepCountdown(view);
    ASSERT_NE(countdown, nullptr);
    EXPECT_EQ(countdown->textFormat(), Qt::PlainText);
    QAction* cancel = entry(*sleep, "Cancel Sleep Timer");
    EXPECT_FALSE(countdown->isVisibleTo(&view));
    EXPECT_FALSE(cancel->isVisible()) << "nothing to cancel yet";

    entry(*sleep, "30 minutes")->trigger();
    EXPECT_TRUE(countdown->isVisibleTo(&view));
    const QString shown = countdown->text();
    EXPECT_TRUE(shown == "Sleep in 30:00" || shown.startsWith("Sleep in 29:5"))
        << shown.toStdString();
    EXPECT_TRUE(cancel->isVisible());
    cancel->trigger();
    EXPECT_FALSE(countdown->isVisibleTo(&view));
    EXPECT_FALSE(cancel->isVisible());

    entry(*sleep, "15 minutes")->trigger();
    EXPECT_TRUE(countdown->isVisibleTo(&view));
    byName<QPushButton>(view, "Stop")->click();
    EXPECT_FALSE(countdown->isVisibleTo(&view)) << "stopping by hand left the timer running";
    EXPECT_EQ(player.calls, QStringList({"stop"}));
}

TEST(PlayerView, OtherAsksForMinutesInABoundedBoxAndCountsDownFromThem) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    view.show();
    auto* sleep = byName<QToolButton>(view, "Sleep timer");
    ASSERT_NE(sleep, nullptr);
    int minimum = 0, maximum = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
        QInputDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QInputDialog*>(w); d != nullptr && d->isVisible())
                dialog = d;
        if (dialog == nullptr)
            return;
        answer.stop();
        auto* box = dialog->findChild<QSpinBox*>();
        ASSERT_NE(box, nullptr);
        minimum = box->minimum();
        maximum = box->maximum();
        dialog->setIntValue(120);
        dialog->accept();
    });
    answer.start(20);
    entry(*sleep, QString::fromUtf8("Other\u2026"))->trigger();
    EXPECT_EQ(minimum, 1);
    EXPECT_EQ(maximum, 1440);
    QLabel* countdown = sleepCountdown(view);
    ASSERT_NE(countdown, nullptr);
    EXPECT_TRUE(countdown->isVisible());
    const QString shown = countdown->text();
    EXPECT_TRUE(shown == "Sleep in 2:00:00" || shown.startsWith("Sleep in 1:59:5"))
        << shown.toStdString();
}

QLabel* recordingLine(QWidget& root) {
    for (QLabel* w : root.findChildren<QLabel*>())
        if (w->accessibleDescription() == "Recording")
            return w;
    return nullptr;
}

// What a tooltip shows when Qt renders it.
QString shownTip(const QString& tip) {
    QTextDocument shown;
    shown.setHtml(tip);
    return shown.toPlainText();
}

// Sizes read the same wherever the tests run.
struct CLocale {
    CLocale() { QLocale::setDefault(QLocale::c()); }
    ~CLocale() { QLocale::setDefault(QLocale::system()); }
};

TEST(PlayerView, TheRecordButtonAsksTheProgramWhatToRecordAndItsMarkFollowsThePlayer) {
    fakes::FakeMediaPlayer player;
    player.state = platform::psPlaying;
    player.takesRecordings = true;
    platform::PlayerView view(player);
    auto* record = byName<QToolButton>(view, "Record");
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->isCheckable());
    EXPECT_FALSE(record->isEnabled()) << "no folder to record into yet";
    fakes::FakeRecordingSetup setup;
    view.setRecordingSetup(&setup);
    ASSERT_TRUE(record->isEnabled());

    record->click();
    EXPECT_TRUE(record->isChecked());
    record->click();
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(player.calls,
              QStringList({"record=/music/Korvant Lite|Night Jazz|1", "record-stop"}));

    // The player ends it (another station, Stop, a stream that gave up): the mark goes.
    record->click();
    ASSERT_TRUE(record->isChecked());
    player.recordingState.active = false;
    emit player.changed();
    EXPECT_FALSE(record->isChecked());

    // A player that takes no recording leaves the button unmarked.
    player.takesRecordings = false;
    player.calls.clear();
    record->click();
    EXPECT_EQ(player.calls, QStringList({"record=/music/Korvant Lite|Night Jazz|1"}));
    EXPECT_FALSE(record->isChecked());

    // Nothing playing: nothing is asked, and the view says why.
    player.state = platform::psStopped;
    player.calls.clear();
    record->click();
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(player.calls, QStringList());
    QLabel* line = recordingLine(view);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisibleTo(&view));
    EXPECT_EQ(line->text(), "Nothing is playing to record");
    player.state = platform::psBuffering;
    emit player.changed();
    EXPECT_FALSE(line->isVisibleTo(&view)) << "the reason outlived the stream it was about";
}

TEST(PlayerView, WhileRecordingItShowsTimeAndSizeFromThePlayerEachSecondAndTheFileInItsTooltip) {
    const CLocale locale;
    fakes::FakeMediaPlayer player;
    player.state = platform::psPlaying;
    platform::PlayerView view(player);
    fakes::FakeRecordingSetup setup;
    view.setRecordingSetup(&setup);
    QLabel* line = recordingLine(view);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->textFormat(), Qt::PlainText);
    EXPECT_FALSE(line->isVisibleTo(&view));
    const auto clockRuns = [&view] {
        for (QTimer* t : view.findChildren<QTimer*>(Qt::FindDirectChildrenOnly))
            if (t->isActive())
                return true;
        return false;
    };
    EXPECT_FALSE(clockRuns());

    // The file is named after the station, whose name is the station's own text.
    const QString file = "/music/Korvant Lite/<b>Jazz</b> & Blues 2026-12-09 13.20.mp3";
    player.recordingState = {true, file, 1468006, 83000, {}};
    emit player.changed();
    EXPECT_TRUE(line->isVisibleTo(&view));
    EXPECT_EQ(line->text(), QString::fromUtf8("REC 1:23 \u00b7 1.4 MB"));
    EXPECT_EQ(shownTip(line->toolTip()), "Recording to " + file);
    EXPECT_EQ(shownTip(byName<QToolButton>(view, "Record")->toolTip()),
              "Stop recording to " + file);
    EXPECT_TRUE(byName<QToolButton>(view, "Record")->isChecked());
    EXPECT_TRUE(clockRuns());

    // Bytes and time are not announced: the view reads them by itself.
    player.recordingState.bytes = 3 * 1024 * 1024;
    player.recordingState.elapsedMs = 86400;
    EXPECT_TRUE(testsupport::waitFor(
        [&] { return line->text() == QString::fromUtf8("REC 1:26 \u00b7 3.0 MB"); }, 10000))
        << line->text().toStdString();

    player.recordingState.elapsedMs = 3723000;
    player.recordingState.bytes = 512;
    EXPECT_EQ(platform::PlayerView::recordingIndicator(player.recordingState),
              QString::fromUtf8("REC 1:02:03 \u00b7 512 bytes"));

    player.recordingState.active = false;
    emit player.changed();
    EXPECT_FALSE(line->isVisibleTo(&view));
    EXPECT_FALSE(clockRuns());
}

TEST(PlayerView, ARecordingThatEndsByItselfSaysWhyAsPlainTextAndLeavesPlaybackAlone) {
    fakes::FakeMediaPlayer player;
    player.state = platform::psPlaying;
    player.takesRecordings = true;
    player.recordingState.file = "/music/<i>Jazz</i>.mp3";
    platform::PlayerView view(player);
    view.resize(1600, 64);
    fakes::FakeRecordingSetup setup;
    view.setRecordingSetup(&setup);
    auto* record = byName<QToolButton>(view, "Record");
    record->click();
    ASSERT_TRUE(record->isChecked());

    player.recordingState.active = false;
    player.recordingState.error = "<b>No space</b> left on the device\nholding /music";
    emit player.changed();
    EXPECT_FALSE(record->isChecked());
    QLabel* line = recordingLine(view);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisibleTo(&view));
    const QString why = "Recording stopped: <b>No space</b> left on the device holding /music";
    EXPECT_EQ(line->text().toStdString(), why.toStdString());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name), why);
    EXPECT_EQ(shownTip(line->toolTip()),
              why +
                  QString::fromUtf8(" \u2014 what was recorded is kept in /music/<i>Jazz</i>.mp3"));
    // Playback goes on: the view asked nothing of the player.
    EXPECT_EQ(player.calls, QStringList({"record=/music/Korvant Lite|Night Jazz|1"}));

    // A long reason keeps to half the row; its tooltip has it whole.
    view.resize(600, 64);
    player.recordingState.error = QString(400, QLatin1Char('w'));
    emit player.changed();
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), view.width() / 2);
    EXPECT_TRUE(shownTip(line->toolTip()).contains(QString(400, QLatin1Char('w'))));

    // It stays until the next recording starts.
    emit player.changed();
    EXPECT_TRUE(line->text().startsWith("Recording stopped: "));
    record->click();
    EXPECT_TRUE(line->text().startsWith("REC ")) << line->text().toStdString();
}

TEST(PlayerView, TheRecordMenuOffersTheProgramsChoicesAndOpensFromTheKeyboard) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    fakes::FakeRecordingSetup setup;
    view.setRecordingSetup(&setup);
    auto* record = byName<QToolButton>(view, "Record");
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->menu(), nullptr);
    EXPECT_EQ(record->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_TRUE(record->focusPolicy() & Qt::TabFocus);
    QAction* perTitle = entry(*record, "New File At Each Title");
    QAction* folder = entry(*record, QString::fromUtf8("Recording Folder\u2026"));
    ASSERT_NE(perTitle, nullptr);
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(perTitle->isCheckable());

    view.show();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    record->setFocus();
    ASSERT_TRUE(testsupport::waitFor([record] { return record->hasFocus(); }));
    // The menu runs its own loop while open: look at it from there, then close it.
    const auto pressWhileMenuOpens = [&](const QKeySequence& key) {
        bool opened = false, markShown = false;
        QString folderTip;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, &look, [&] {
            if (!record->menu()->isVisible())
                return;
            look.stop();
            opened = true;
            markShown = perTitle->isChecked();
            folderTip = shownTip(folder->toolTip());
            record->menu()->hide();
        });
        look.start(20);
        QTest::keySequence(record, key);
        testsupport::waitFor([&] { return opened; });
        EXPECT_TRUE(opened) << key.toString().toStdString();
        EXPECT_EQ(markShown, setup.answer.filePerTitle) << key.toString().toStdString();
        EXPECT_EQ(folderTip, "/music/Korvant Lite");
    };
    pressWhileMenuOpens(QKeySequence(Qt::ALT | Qt::Key_Down));
    setup.answer.filePerTitle = false;
    pressWhileMenuOpens(QKeySequence(Qt::Key_F4));

    perTitle->trigger();
    folder->trigger();
    EXPECT_EQ(setup.calls, QStringList({"filePerTitle=1", "chooseFolder from the view"}));
    EXPECT_EQ(player.calls, QStringList()) << "a choice is no recording";
}

// Share of the image's pixels that are not fully transparent.
double inkedShare(const QImage& image) {
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 0;
    return double(inked) / (image.width() * image.height());
}

TEST(PlayerView, EveryButtonShowsAGlyphAndTheMuteGlyphFollowsItsCheckMark) {
    fakes::FakeMediaPlayer player;
    platform::PlayerView view(player);
    for (const char* name : {"Play", "Pause", "Stop"}) {
        const QImage image = byName<QPushButton>(view, name)->icon().pixmap(32).toImage();
        EXPECT_GT(inkedShare(image), 0.1) << name;
    }
    const QIcon mute = byName<QToolButton>(view, "Mute")->icon();
    const QImage off = mute.pixmap(QSize(32, 32), QIcon::Normal, QIcon::Off).toImage();
    const QImage on = mute.pixmap(QSize(32, 32), QIcon::Normal, QIcon::On).toImage();
    EXPECT_GT(inkedShare(off), 0.1);
    EXPECT_GT(inkedShare(on), 0.1);
    EXPECT_NE(off, on);
}

TEST(Glyphs, DrawAtTheAskedSizeAndFadeWhenDisabled) {
    const QIcon icon = platform::glyphIcon(platform::Glyph::Stop, Qt::black);
    const QImage normal = icon.pixmap(QSize(48, 48)).toImage();
    EXPECT_EQ(normal.size(), QSize(48, 48));
    const QImage disabled = icon.pixmap(QSize(48, 48), QIcon::Disabled).toImage();
    EXPECT_EQ(qAlpha(normal.pixel(24, 24)), 255);
    EXPECT_LT(qAlpha(disabled.pixel(24, 24)), 128);
}

} // namespace
