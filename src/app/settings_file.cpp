#include "app/settings_file.h"

#include "common/quoted_fields.h"

namespace app {

Settings readSettingsFile(const QString& path) {
    const QStringList f = common::readQuotedFieldFile(path, 5);
    return {f[0], f[1], f[2], f[3], f[4]};
}

QByteArray settingsLine(const Settings& s) {
    return common::quotedFieldLine(
        {s.favouriteUrl, s.trayFlag, s.streamFlag, s.favouriteName, s.updateFlag});
}

QString writeSettingsFile(const QString& path, const Settings& s) {
    return common::saveFileAtomically(path, settingsLine(s));
}

} // namespace app
