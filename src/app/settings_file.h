#pragma once

#include <QString>

namespace app {

inline const QString kSettingsFileName = QStringLiteral("Drlsets.ini");

// The start-up options as stored: one quoted-field line of five fields in this order.
struct Settings {
    QString favouriteUrl;
    QString trayFlag; // "yes" or "no" as written; only exactly "yes" counts as on
    QString streamFlag;
    QString favouriteName;
    QString updateFlag;
};

inline bool flagIsOn(const QString& flag) {
    return flag == QLatin1String("yes");
}
inline QString flagText(bool on) {
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

// A missing or short file gives empty fields; so does one that exists but cannot be
// read, and then `problem` says why.
Settings readSettingsFile(const QString& path, QString* problem = nullptr);
QByteArray settingsLine(const Settings& settings);
// Replaces the file whole; returns an empty string, or why it could not be written.
QString writeSettingsFile(const QString& path, const Settings& settings);

} // namespace app
