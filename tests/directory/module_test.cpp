// The program's way to the directory: the korvant_directory module, loaded at the first
// search, making a client that searches the servers it is given.
#include "directory/directory_loader.h"
#include "directory_server.h"
#include "wait.h"

#include <gtest/gtest.h>
#include <optional>

using testsupport::waitFor;

TEST(DirectoryModule, LoadsAndItsClientSearchesTheServersOfTheBuildSetting) {
    testsupport::DirectoryServer failing;
    failing.handler = [](const testsupport::DirectoryServer::Request&) {
        testsupport::DirectoryServer::Reply r;
        r.status = 503;
        return r;
    };
    testsupport::DirectoryServer server;
    const directory::ClientMaker make = directory::clientFromModule(
        failing.base() + "," + server.base(), "KorvantLite/1.0.0", KORVANT_MODULE_DIR);
    QString error;
    std::unique_ptr<directory::DirectoryClient> client = make(&error);
    ASSERT_NE(client, nullptr) << error.toStdString();
    std::optional<directory::SearchAnswer> answer;
    directory::SearchQuery q;
    q.name = "jazz";
    client->search(q, [&](const directory::SearchAnswer& a) { answer = a; });
    ASSERT_TRUE(waitFor([&] { return answer.has_value(); }, 20000));
    EXPECT_TRUE(answer->error.isEmpty()) << answer->error.toStdString();
    EXPECT_EQ(answer->stations.size(), 3);
    EXPECT_EQ(failing.requests.size(), 1);
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0].headers.value("user-agent"), "KorvantLite/1.0.0");
}

TEST(DirectoryModule, AMissingModuleGivesTheReasonInsteadOfAClient) {
    const directory::ClientMaker make =
        directory::clientFromModule("http://127.0.0.1:9", "KorvantLite/1.0.0", "/nonexistent");
    QString error;
    EXPECT_EQ(make(&error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}
