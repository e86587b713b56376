#include "directory/directory_loader.h"

#include "directory/directory_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace directory {

ClientMaker clientFromModule(QString servers, QString userAgent, QString folder) {
    return [servers = std::move(servers), userAgent = std::move(userAgent),
            folder = std::move(folder)](QString* error) -> std::unique_ptr<DirectoryClient> {
        const QString dir = folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
        QLibrary library(QDir(dir).filePath(QStringLiteral(KORVANT_DIRECTORY_MODULE_NAME)));
        if (!library.load()) {
            *error = library.errorString();
            return nullptr;
        }
        const auto create = reinterpret_cast<directory_module::CreateClient>(
            library.resolve(directory_module::kCreateClientSymbol));
        if (create == nullptr) {
            *error = library.errorString();
            return nullptr;
        }
        return std::unique_ptr<DirectoryClient>(
            create(servers.toUtf8().constData(), userAgent.toUtf8().constData()));
    };
}

} // namespace directory
