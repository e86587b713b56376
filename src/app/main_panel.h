#pragma once

#include <QFrame>

class QComboBox;
class QLabel;

namespace common {
class ClickLabel;
}
namespace platform {
class MediaPlayer;
class MessageBox;
} // namespace platform
namespace player {
class StreamTester;
}

namespace app {

// The main panel under the player: the station drop-down, the default favourite, the
// start-up option displays, the stream tester and the "Tray" and "Exit" labels.
class MainPanel : public QFrame {
    Q_OBJECT
public:
    MainPanel(platform::MediaPlayer& player, platform::MessageBox& messages,
              QWidget* parent = nullptr);

    // Shows the default favourite's name, read from the settings file or just typed.
    void showFavouriteName(const QString& name);

    QLabel* Label34;
    QComboBox* Combo1;
    common::ClickLabel* Picture3;
    QLabel* Label18;
    common::ClickLabel* lblFavdisplay;
    QLabel* Label20;
    QLabel* lblAtraydisplay;
    QLabel* Label22;
    QLabel* lblAstreamdisplay;
    player::StreamTester* tester;
    common::ClickLabel* Label48;
    common::ClickLabel* Label47;
};

} // namespace app
