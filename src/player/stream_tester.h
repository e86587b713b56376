#pragma once

#include "platform/media_player.h"
#include "platform/message_box.h"

#include <QObject>

class QLineEdit;
class QPushButton;
class QWidget;

namespace common {
class ClickLabel;
}

namespace player {

// The stream tester: plays any typed address without storing it. Its only state is the
// caption of its toggle label.
class StreamTester : public QObject {
    Q_OBJECT
public:
    // The three controls are made children of `panel` at their places.
    StreamTester(QWidget* panel, platform::MediaPlayer& player, platform::MessageBox& messages);

    void lblTeststr_Click();
    void cmdStreamtest_Click();
    // Plays an address at once without storing it: the drop-down, the status line and the
    // favourites stay as they are. What the "Test" button does with the typed address.
    void play(const QString& address);

    common::ClickLabel* lblTeststr;
    QLineEdit* Text1;
    QPushButton* cmdStreamtest;

private:
    platform::MediaPlayer& player_;
    platform::MessageBox& messages_;
};

} // namespace player
