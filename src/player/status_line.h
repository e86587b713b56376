#pragma once

#include <QString>

namespace player {

// Texts of the status line: the caption of the tray menu's status entry.
inline const QString kStatusAtCreation = QStringLiteral("Status:");
inline const QString kStatusStreamingFavourite = QStringLiteral("Streaming Fav. ");
inline const QString kStatusStreaming = QStringLiteral("Status: Streaming ");
inline const QString kStatusMainDb = QStringLiteral("Status: Main DB ");
inline const QString kStatusNoStream = QStringLiteral("Status: No Stream.");

// The drop-down's prompts: the one Save List sets, and the one start-up sets when it
// streams nothing.
inline const QString kPromptAfterSave = QStringLiteral("Choose A Favorite Station");
inline const QString kPromptAtStartup = QStringLiteral("Choose A Favorite Station.");

} // namespace player
