#include "platform/player_view.h"

#include "common/remote_text.h"
#include "platform/glyphs.h"
#include "platform/sleep_timer.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace platform {

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
    addSleepTimer(*transport);
    transport->addStretch(1);
    transport->addWidget(mute_);
    transport->addWidget(volume_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(2);
    column->addWidget(display_);
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
}

void PlayerView::addSleepTimer(QHBoxLayout& row) {
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
}

} // namespace platform
