#include "common/data_folder.h"

#include <QCoreApplication>

namespace common {

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString dataFolder() {
    return programFolder() + QStringLiteral("/Dornel/");
}

QString dataFile(const QString& fileName) {
    return dataFolder() + fileName;
}

} // namespace common
