#include "platform/player_view.h"

#include "common/remote_text.h"
#include "platform/glyphs.h"
#include "platform/sleep_timer.h"

#include <QDir>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace platform {

namespace {

// The states in which the player takes a recording: there is a stream, or one coming.
bool hasAStreamToRecord(int state) {
    return state == psTransitioning || state == psBuffering || state == psPlaying ||
           state == psPaused || state == psReconnecting;
}

// The recording's ink on the view's dark face.
const QColor kRecordingInk(255, 110, 90);

} // namespace

PlayerView::PlayerView(MediaPlayer& player, QWidget* parent)
    : QWidget(parent), player_(player), play_(new QPushButton(this)), pause_(new QPushButton(this)),
      stop_(new QPushButton(this)), mute_(new QToolButton(this)),
      volume_(new QSlider(Qt::Horizontal, this)), display_(new QLabel(this)) {
    setAccessibleName(tr("Media player"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(24, 24, 24));
    pal.setColor(QPalette::WindowText, QColor(140, 230, 140));
    setPalette(pal);

    // Read out as the status it shows, which names itself ("Playing: ...", "Ready");
    // what the line is goes in the description.
    display_->setAccessibleDescription(tr("Player status"));
    display_->setTextFormat(Qt::PlainText);
    display_->setMinimumWidth(1);
    display_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    const struct {
        QPushButton* button;
        Glyph icon;
        QString name;
    } buttons[] = {{play_, Glyph::Play, tr("Play")},
                   {pause_, Glyph::Pause, tr("Pause")},
                   {stop_, Glyph::Stop, tr("Stop")}};
    for (const auto& b : buttons) {
        b.button->setIcon(glyphIcon(b.icon, b.button->palette().color(QPalette::ButtonText)));
        b.button->setToolTip(b.name);
        b.button->setAccessibleName(b.name);
        b.button->setFixedWidth(36);
    }
    mute_->setCheckable(true);
    // The mute button sits flat on the view's dark face, so it takes the display's ink; its
    // check mark picks the glyph.
    mute_->setIcon(glyphIcon(Glyph::Volume, Glyph::Muted, pal.color(QPalette::WindowText)));
    mute_->setToolTip(tr("Mute"));
    mute_->setAccessibleName(tr("Mute"));
    mute_->setAutoRaise(true);
    volume_->setRange(0, 100);
    volume_->setFixedWidth(110);
    volume_->setToolTip(tr("Volume"));
    volume_->setAccessibleName(tr("Volume"));

    auto* transport = new QHBoxLayout;
    transport->setContentsMargins(0, 0, 0, 0);
    transport->addWidget(play_);
    transport->addWidget(pause_);
    transport->addWidget(stop_);
    auto* displayRow = new QHBoxLayout;
    displayRow->setContentsMargins(0, 0, 0, 0);
    displayRow->addWidget(display_, 1);
    addRecordButton(*transport, *displayRow, addSleepTimer(*transport));
    transport->addStretch(1);
    transport->addWidget(mute_);
    transport->addWidget(volume_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(2);
    column->addLayout(displayRow);
    column->addLayout(transport);

    connect(play_, &QPushButton::clicked, this, [this] { player_.controls().play(); });
    connect(pause_, &QPushButton::clicked, this, [this] { player_.controls().pause(); });
    connect(stop_, &QPushButton::clicked, this, [this] { player_.controls().stop(); });
    connect(mute_, &QToolButton::clicked, this,
            [this](bool on) { player_.settings().setMute(on); });
    connect(volume_, &QSlider::valueChanged, this,
            [this](int v) { player_.settings().setVolume(v); });
    connect(&player_, &MediaPlayer::changed, this, &PlayerView::refresh);
    refresh();
}

void PlayerView::refresh() {
    mute_->setChecked(player_.settings().mute());
    if (!volume_->isSliderDown() && volume_->value() != player_.settings().volume()) {
        const QSignalBlocker block(volume_);
        volume_->setValue(player_.settings().volume());
    }
    // The status carries a station's own words (its name, the title playing) and the
    // server's reasons: one line of plain text, and a tooltip that shows it as such.
    const QString text = common::cleanRemoteText(player_.status());
    display_->setText(text.isEmpty() ? tr("Ready") : text);
    display_->setToolTip(common::plainToolTip(text));
    followRecording();
}

QToolButton* PlayerView::addSleepTimer(QHBoxLayout& row) {
    sleep_ = new SleepTimer(player_, this);
    auto* button = new QToolButton(this);
    button->setText(tr("Sleep"));
    button->setToolTip(tr("Stop playing after a while"));
    button->setAccessibleName(tr("Sleep timer"));
    button->setAutoRaise(true);
    button->setPopupMode(QToolButton::InstantPopup);
    // Flat on the dark face like the mute button, so it takes the display's ink.
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, palette().color(QPalette::WindowText));
    button->setPalette(pal);
    auto* countdown = new QLabel(this);
    countdown->setTextFormat(Qt::PlainText);
    countdown->setAccessibleDescription(tr("Sleep timer count-down"));
    countdown->setContentsMargins(4, 0, 0, 0);

    auto* menu = new QMenu(button);
    for (const int minutes : {15, 30, 60, 90})
        menu->addAction(tr("%1 minutes").arg(minutes), sleep_,
                        [this, minutes] { sleep_->startMinutes(minutes); });
    menu->addAction(tr("Other\u2026"), sleep_, [this] {
        bool ok = false;
        const int minutes =
            QInputDialog::getInt(this, tr("Sleep Timer"),
                                 tr("Stop playing after how many minutes (%1 to %2)?")
                                     .arg(SleepTimer::kMinMinutes)
                                     .arg(SleepTimer::kMaxMinutes),
                                 45, SleepTimer::kMinMinutes, SleepTimer::kMaxMinutes, 1, &ok);
        if (ok)
            sleep_->startMinutes(minutes);
    });
    menu->addSeparator();
    QAction* cancel = menu->addAction(tr("Cancel Sleep Timer"), sleep_, &SleepTimer::cancel);
    button->setMenu(menu);
    row.addWidget(button);
    row.addWidget(countdown);
    // Made after the volume, it still comes where it stands in the row.
    setTabOrder(stop_, button);

    const auto follow = [this, countdown, cancel] {
        countdown->setText(sleep_->countdownText());
        countdown->setVisible(sleep_->isRunning());
        cancel->setVisible(sleep_->isRunning());
    };
    connect(sleep_, &SleepTimer::changed, countdown, follow);
    follow();
    // Stopping by hand ends the timer, whatever the player reports.
    connect(stop_, &QPushButton::clicked, sleep_, &SleepTimer::cancel);
    return button;
}

void PlayerView::addRecordButton(QHBoxLayout& row, QHBoxLayout& displayRow, QWidget* after) {
    record_ = new QToolButton(this);
    record_->setText(tr("Rec"));
    record_->setAccessibleName(tr("Record"));
    record_->setCheckable(true);
    record_->setAutoRaise(true);
    record_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    record_->setIcon(glyphIcon(Glyph::Record, kRecordingInk));
    // Flat on the dark face like the sleep button, so it takes the display's ink; pressed in
    // while it records, on a face of the recording's colour, dimmed.
    QPalette pal = record_->palette();
    pal.setColor(QPalette::ButtonText, palette().color(QPalette::WindowText));
    pal.setColor(QPalette::Button, QColor(96, 36, 32));
    record_->setPalette(pal);
    record_->setEnabled(false); // until the program says where recordings go

    // A click records or stops; the arrow beside it, Alt+Down, F4 or the menu key open the
    // choices.
    auto* menu = new QMenu(record_);
    menu->setToolTipsVisible(true);
    filePerTitle_ = menu->addAction(tr("New File At Each Title"));
    filePerTitle_->setCheckable(true);
    folder_ = menu->addAction(tr("Recording Folder\u2026"));
    record_->setMenu(menu);
    record_->setPopupMode(QToolButton::MenuButtonPopup);
    record_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(record_, &QToolButton::customContextMenuRequested, record_, &QToolButton::showMenu);
    for (const QKeySequence& key : {QKeySequence(Qt::ALT | Qt::Key_Down), QKeySequence(Qt::Key_F4)})
        new QShortcut(key, record_, record_, &QToolButton::showMenu, Qt::WidgetShortcut);
    connect(menu, &QMenu::aboutToShow, this, [this] {
        if (recordingSetup_ == nullptr)
            return;
        const MediaPlayer::RecordingRequest request = recordingSetup_->request();
        filePerTitle_->setChecked(request.filePerTitle);
        folder_->setToolTip(common::plainToolTip(QDir::toNativeSeparators(request.folder)));
    });
    connect(filePerTitle_, &QAction::triggered, this, [this](bool on) {
        if (recordingSetup_ != nullptr)
            recordingSetup_->setFilePerTitle(on);
    });
    connect(folder_, &QAction::triggered, this, [this] {
        if (recordingSetup_ != nullptr)
            recordingSetup_->chooseFolder(this);
    });
    connect(record_, &QToolButton::clicked, this, &PlayerView::toggleRecording);
    row.addWidget(record_);
    setTabOrder(after, record_);

    recordingLine_ = new QLabel(this);
    recordingLine_->setTextFormat(Qt::PlainText);
    recordingLine_->setAccessibleDescription(tr("Recording"));
    recordingLine_->setContentsMargins(8, 0, 0, 0);
    QPalette ink = recordingLine_->palette();
    ink.setColor(QPalette::WindowText, kRecordingInk);
    recordingLine_->setPalette(ink);
    recordingLine_->hide();
    displayRow.addWidget(recordingLine_);

    // Bytes and time are read from the player while it records; it announces neither.
    recordingClock_ = new QTimer(this);
    recordingClock_->setInterval(1000);
    connect(recordingClock_, &QTimer::timeout, this, &PlayerView::followRecording);
}

void PlayerView::setRecordingSetup(RecordingSetup* setup) {
    recordingSetup_ = setup;
    record_->setEnabled(setup != nullptr);
}

void PlayerView::toggleRecording(bool on) {
    if (!on) {
        player_.stopRecording();
    } else if (recordingSetup_ != nullptr && hasAStreamToRecord(player_.playState())) {
        notice_.clear();
        player_.startRecording(recordingSetup_->request());
    } else {
        notice_ = tr("Nothing is playing to record");
    }
    // A player that took no recording says nothing; the mark shows what it does.
    followRecording();
}

QString PlayerView::recordingIndicator(const MediaPlayer::Recording& recording) {
    const qint64 seconds = std::max<qint64>(recording.elapsedMs, 0) / 1000;
    const qint64 minutes = seconds / 60 % 60;
    const QChar zero(QLatin1Char('0'));
    const QString time = seconds < 3600
                             ? QStringLiteral("%1:%2").arg(minutes).arg(seconds % 60, 2, 10, zero)
                             : QStringLiteral("%1:%2:%3")
                                   .arg(seconds / 3600)
                                   .arg(minutes, 2, 10, zero)
                                   .arg(seconds % 60, 2, 10, zero);
    const QString size = QLocale().formattedDataSize(std::max<qint64>(recording.bytes, 0), 1,
                                                     QLocale::DataSizeTraditionalFormat);
    return tr("REC %1 \u00b7 %2").arg(time, size);
}

void PlayerView::followRecording() {
    const MediaPlayer::Recording now = player_.recording();
    record_->setChecked(now.active);
    if (now.active && !recordingClock_->isActive())
        recordingClock_->start();
    else if (!now.active)
        recordingClock_->stop();
    if (now.active || hasAStreamToRecord(player_.playState()))
        notice_.clear();

    // The file's name carries the station's name and titles, and the reason may quote it.
    const QString file = common::cleanRemoteText(QDir::toNativeSeparators(now.file));
    QString tip;
    if (now.active) {
        recordingText_ = recordingIndicator(now);
        tip = tr("Recording to %1").arg(file);
    } else if (!now.error.isEmpty()) {
        recordingText_ = tr("Recording stopped: %1").arg(common::cleanRemoteText(now.error));
        tip = file.isEmpty()
                  ? recordingText_
                  : tr("%1 \u2014 what was recorded is kept in %2").arg(recordingText_, file);
    } else {
        recordingText_ = notice_;
        tip = notice_;
    }
    recordingLine_->setToolTip(common::plainToolTip(tip));
    recordingLine_->setAccessibleName(recordingText_);
    record_->setToolTip(now.active ? common::plainToolTip(tr("Stop recording to %1").arg(file))
                                   : tr("Record what plays"));
    showRecordingLine();
}

void PlayerView::showRecordingLine() {
    // An error may run long: it takes at most half the row and says the rest in its tooltip.
    const int room = std::max(80, width() / 2 - recordingLine_->contentsMargins().left());
    recordingLine_->setText(
        recordingLine_->fontMetrics().elidedText(recordingText_, Qt::ElideRight, room));
    recordingLine_->setVisible(!recordingText_.isEmpty());
}

void PlayerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showRecordingLine();
}

} // namespace platform
