#include "desktop/desktop_options.h"

#include <QFileInfo>
#include <QSettings>

namespace desktop {

namespace {

const QString kNotificationsKey = QStringLiteral("notifications");

} // namespace

DesktopOptions readDesktopOptions(const QString& path) {
    DesktopOptions options;
    QSettings file(path, QSettings::IniFormat);
    const QString value = file.value(kNotificationsKey).toString().trimmed().toLower();
    if (value == QLatin1String("false") || value == QLatin1String("0") ||
        value == QLatin1String("no") || value == QLatin1String("off"))
        options.notifications = false;
    return options;
}

QString writeDesktopOptions(const QString& path, const DesktopOptions& options) {
    QSettings file(path, QSettings::IniFormat);
    file.setValue(kNotificationsKey, options.notifications);
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

} // namespace desktop
