#include "common/module_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace common {

QFunctionPointer moduleFunction(const QString& fileName, const QString& folder, const char* symbol,
                                QString* error) {
    const QString dir = folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
    QLibrary library(QDir(dir).filePath(fileName));
    if (!library.load()) {
        *error = library.errorString();
        return nullptr;
    }
    QFunctionPointer function = library.resolve(symbol);
    if (function == nullptr) {
        *error = library.errorString();
        return nullptr;
    }
    return function;
}

} // namespace common
