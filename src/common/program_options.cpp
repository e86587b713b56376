#include "common/program_options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

namespace common {

namespace {

const QString kNotificationsKey = QStringLiteral("notifications");
const QString kRecordingFolderKey = QStringLiteral("recordingFolder");
const QString kRecordingFilePerTitleKey = QStringLiteral("recordingFilePerTitle");

// A boolean as the file holds it, or `otherwise` when it holds none.
bool flag(const QSettings& file, const QString& key, bool otherwise) {
    const QVariant stored = file.value(key);
    if (!stored.isValid() || stored.typeId() == QMetaType::QStringList)
        return otherwise; // missing, or a list ("a, b")
    const QString value = stored.toString().trimmed().toLower();
    if (value == QLatin1String("true") || value == QLatin1String("1") ||
        value == QLatin1String("yes") || value == QLatin1String("on"))
        return true;
    if (value == QLatin1String("false") || value == QLatin1String("0") ||
        value == QLatin1String("no") || value == QLatin1String("off"))
        return false;
    return otherwise;
}

// An absolute path without control characters, cleaned; empty for anything else.
QString usableFolder(const QVariant& stored) {
    if (stored.typeId() != QMetaType::QString)
        return {}; // missing, or a list ("a, b")
    const QString path = stored.toString();
    for (const QChar c : path)
        if (c.category() == QChar::Other_Control)
            return {};
    if (path.trimmed().isEmpty() || !QDir::isAbsolutePath(path))
        return {};
    return QDir::cleanPath(path);
}

QString save(const QString& path, const QString& key, const QVariant& value) {
    QSettings file(path, QSettings::IniFormat);
    file.setValue(key, value);
    file.sync();
    switch (file.status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return QFileInfo(path).exists() ? QStringLiteral("The file cannot be written.")
                                        : QStringLiteral("The folder cannot be written.");
    case QSettings::FormatError:
        return QStringLiteral("The file is not an options file.");
    }
    return QStringLiteral("The file cannot be written.");
}

} // namespace

QString defaultRecordingFolder() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty())
        music = QDir::homePath() + QStringLiteral("/Music");
    return QDir::cleanPath(music + QStringLiteral("/Korvant Lite"));
}

ProgramOptions readProgramOptions(const QString& path) {
    ProgramOptions options;
    const QSettings file(path, QSettings::IniFormat);
    options.notifications = flag(file, kNotificationsKey, true);
    options.recordingFolder = usableFolder(file.value(kRecordingFolderKey));
    if (options.recordingFolder.isEmpty())
        options.recordingFolder = defaultRecordingFolder();
    options.recordingFilePerTitle = flag(file, kRecordingFilePerTitleKey, false);
    return options;
}

QString saveNotifications(const QString& path, bool on) {
    return save(path, kNotificationsKey, on);
}

QString saveRecordingFolder(const QString& path, const QString& folder) {
    return save(path, kRecordingFolderKey, folder);
}

QString saveRecordingFilePerTitle(const QString& path, bool on) {
    return save(path, kRecordingFilePerTitleKey, on);
}

} // namespace common
