// The korvant_directory module: the directory client over Qt Network.
#include "directory/directory_module.h"
#include "directory/http_directory_client.h"

extern "C" Q_DECL_EXPORT directory::DirectoryClient*
korvant_directory_create_client(const char* servers, const char* userAgent) {
    using directory::HttpDirectoryClient;
    const QString list = QString::fromUtf8(servers);
    return new HttpDirectoryClient(
        list.trimmed().isEmpty()
            ? HttpDirectoryClient::discoverServers()
            : HttpDirectoryClient::fixedServers(HttpDirectoryClient::parseServerList(list)),
        QString::fromUtf8(userAgent), HttpDirectoryClient::Limits{});
}
