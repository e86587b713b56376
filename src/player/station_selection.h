#pragma once

#include "platform/media_player.h"

#include <array>

class QAction;
class QComboBox;
class QLineEdit;
class QWidget;

namespace player {

// The favourite stations as the selection paths read them: the editor's live fields.
struct SlotFields {
    const std::array<QLineEdit*, 10>& names;
    const std::array<QLineEdit*, 10>& urls;
};

// A pick from the drop-down's list: plays the first slot whose name, as the list shows it
// (common::cleanRemoteText), equals the drop-down's text exactly, or nothing when no slot
// matches; returns the slot played, or -1. The keyboard focus is parked off the drop-down
// on `park1`, then `park2`.
int playPickedFavourite(const QComboBox& combo, SlotFields stations, platform::MediaPlayer& player,
                        QWidget* park1, QWidget* park2);

// A tray station entry: plays slot `n`, shows its name in the drop-down and reports it
// on the status line.
void playSlot(int n, SlotFields stations, platform::MediaPlayer& player, QComboBox& combo,
              QAction& statusLine);

// The tray's player entries. Each decides from the player's real state, not from its
// own check mark, and its check mark shows what it did last.
void toggleStop(platform::MediaPlayer& player, QAction& mnuPlaystop);
void togglePause(platform::MediaPlayer& player, QAction& mnuPause);
void toggleMute(platform::MediaPlayer& player, QAction& mnuMute1);

} // namespace player
