#include "directory/directory_loader.h"

#include "common/module_library.h"
#include "directory/directory_module.h"

namespace directory {

ClientMaker clientFromModule(QString servers, QString userAgent, QString folder) {
    return [servers = std::move(servers), userAgent = std::move(userAgent),
            folder = std::move(folder)](QString* error) -> std::unique_ptr<DirectoryClient> {
        const auto create = reinterpret_cast<directory_module::CreateClient>(
            common::moduleFunction(QStringLiteral(KORVANT_DIRECTORY_MODULE_NAME), folder,
                                   directory_module::kCreateClientSymbol, error));
        if (create == nullptr)
            return nullptr;
        return std::unique_ptr<DirectoryClient>(
            create(servers.toUtf8().constData(), userAgent.toUtf8().constData()));
    };
}

} // namespace directory
