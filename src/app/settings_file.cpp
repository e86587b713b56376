#include "app/settings_file.h"

#include "common/quoted_fields.h"

namespace app {

Settings readSettingsFile(const QString& path, QString* problem) {
    const common::DataFileRead read = common::readDataFile(path, 5);
    if (problem != nullptr)
        *problem = read.problem;
    const QStringList& f = read.fields;
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
