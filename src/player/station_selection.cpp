#include "player/station_selection.h"

#include "common/remote_text.h"
#include "player/status_line.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

namespace player {

int playPickedFavourite(const QComboBox& combo, SlotFields stations, platform::MediaPlayer& player,
                        QWidget* park1, QWidget* park2) {
    park1->setFocus();
    const QString picked = combo.currentText();
    int played = -1;
    for (std::size_t i = 0; i < stations.names.size(); ++i) {
        if (common::cleanRemoteText(stations.names[i]->text()) == picked) {
            player.setURL(stations.urls[i]->text());
            played = int(i);
            break;
        }
    }
    park2->setFocus();
    return played;
}

void playSlot(int n, SlotFields stations, platform::MediaPlayer& player, QComboBox& combo,
              QAction& statusLine) {
    player.setURL(stations.urls[n]->text());
    combo.setEditText(common::cleanRemoteText(stations.names[n]->text()));
    statusLine.setText(common::menuCaption(kStatusStreaming + combo.currentText()));
}

void toggleStop(platform::MediaPlayer& player, QAction& mnuPlaystop) {
    if (player.playState() == platform::psPlaying) {
        player.controls().stop();
        mnuPlaystop.setChecked(true);
    } else {
        player.controls().play();
        mnuPlaystop.setChecked(false);
    }
}

void togglePause(platform::MediaPlayer& player, QAction& mnuPause) {
    if (player.playState() == platform::psPlaying) {
        player.controls().pause();
        mnuPause.setChecked(true);
    } else {
        mnuPause.setChecked(false);
        player.controls().play();
    }
}

void toggleMute(platform::MediaPlayer& player, QAction& mnuMute1) {
    const bool muted = player.settings().mute();
    player.settings().setMute(!muted);
    mnuMute1.setChecked(!muted);
}

} // namespace player
