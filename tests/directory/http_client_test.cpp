// The directory client against loopback servers that answer as the directory does, fail
// with 503, hang, cut their answers short or never stop sending.
#include "directory/http_directory_client.h"
#include "directory_server.h"
#include "wait.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

using directory::HttpDirectoryClient;
using directory::SearchAnswer;
using directory::SearchQuery;
using testsupport::DirectoryServer;
using testsupport::waitFor;

namespace {

const QString kAgent = QStringLiteral("KorvantLite/1.0.0");

class DirectoryClientTest : public ::testing::Test {
protected:
    std::unique_ptr<HttpDirectoryClient> client(QStringList servers, int perServerMs = 8000) {
        HttpDirectoryClient::Limits limits;
        limits.perServerMs = perServerMs;
        return std::make_unique<HttpDirectoryClient>(
            HttpDirectoryClient::fixedServers(std::move(servers)), kAgent, limits);
    }
    // Searches and waits for the answer.
    std::optional<SearchAnswer> searchAndWait(HttpDirectoryClient& c, const SearchQuery& q,
                                              int timeoutMs = 20000) {
        std::optional<SearchAnswer> answer;
        c.search(q, [&answer](const SearchAnswer& a) { answer = a; });
        waitFor([&] { return answer.has_value(); }, timeoutMs);
        return answer;
    }
    static SearchQuery named(const QString& name) {
        SearchQuery q;
        q.name = name;
        return q;
    }

    DirectoryServer server;
};

// A server that takes connections and closes them at once.
class SlammingServer : public QTcpServer {
public:
    SlammingServer() {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                ++connections;
                s->abort();
                s->deleteLater();
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    int connections = 0;
};

} // namespace

TEST_F(DirectoryClientTest, SearchSendsTheDocumentedRequestWithUserAgentAndEncodedParameters) {
    auto c = client({server.base() + "/"});
    SearchQuery q;
    q.name = QStringLiteral("Jazz & Blues #1 + Café");
    q.tag = QStringLiteral("smooth jazz");
    q.country = QStringLiteral("Germany");
    q.language = QStringLiteral("german");
    q.codec = QStringLiteral("AAC+");
    const auto answer = searchAndWait(*c, q);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->error.isEmpty()) << answer->error.toStdString();
    EXPECT_EQ(answer->stations.size(), 3);
    ASSERT_EQ(server.requests.size(), 1);
    const DirectoryServer::Request& r = server.requests[0];
    EXPECT_EQ(r.path, "/json/stations/search");
    // Each value arrives whole: '&', '#', '+' and spaces were encoded, not taken as syntax.
    EXPECT_EQ(r.query.queryItemValue("name", QUrl::FullyDecoded), q.name);
    EXPECT_EQ(r.query.queryItemValue("tag", QUrl::FullyDecoded), q.tag);
    EXPECT_EQ(r.query.queryItemValue("country", QUrl::FullyDecoded), q.country);
    EXPECT_EQ(r.query.queryItemValue("language", QUrl::FullyDecoded), q.language);
    EXPECT_EQ(r.query.queryItemValue("codec", QUrl::FullyDecoded), q.codec);
    EXPECT_EQ(r.query.queryItemValue("hidebroken"), "true");
    EXPECT_EQ(r.query.queryItemValue("limit"), "101");
    EXPECT_EQ(r.query.queryItemValue("offset"), "0");
    EXPECT_EQ(r.query.queryItemValue("order"), "votes");
    EXPECT_EQ(r.query.queryItemValue("reverse"), "true");
    EXPECT_EQ(r.headers.value("user-agent"), kAgent.toUtf8());
}

TEST_F(DirectoryClientTest, ClickCallGoesToTheStationsUrlPathWithTheUserAgent) {
    auto c = client({server.base()});
    c->countClick("96062a7b-0601-11e8-ae97-52543be04c81");
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 1; }, 15000));
    EXPECT_EQ(server.requests[0].path, "/json/url/96062a7b-0601-11e8-ae97-52543be04c81");
    EXPECT_EQ(server.requests[0].headers.value("user-agent"), kAgent.toUtf8());
    // An identifier that is not one cannot steer the request elsewhere.
    c->countClick("../../json/stations?x=1");
    c->countClick("");
    c->countClick("96062a7b-0601-11e8-ae97-52543be04c81");
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 2; }, 15000));
    EXPECT_EQ(server.count("/json/url/96062a7b"), 2);
    EXPECT_EQ(server.requests.size(), 2);
}

TEST_F(DirectoryClientTest, AServerAnswering503OrHangingUpIsLeftForTheNextOne) {
    DirectoryServer failing;
    failing.handler = [](const DirectoryServer::Request&) {
        DirectoryServer::Reply r;
        r.status = 503;
        r.body = "Service Unavailable";
        return r;
    };
    SlammingServer slamming;
    auto c = client({failing.base(), slamming.base(), server.base()});
    const auto answer = searchAndWait(*c, named("jazz"));
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->error.isEmpty()) << answer->error.toStdString();
    EXPECT_EQ(answer->stations.size(), 3);
    EXPECT_EQ(failing.requests.size(), 1);
    EXPECT_GE(slamming.connections, 1);
    EXPECT_EQ(server.requests.size(), 1);
    // The server that answered is asked first from then on.
    EXPECT_EQ(c->servers().value(0), server.base());
    ASSERT_TRUE(searchAndWait(*c, named("rock")).has_value());
    EXPECT_EQ(failing.requests.size(), 1);
    EXPECT_EQ(server.requests.size(), 2);
}

TEST_F(DirectoryClientTest, ARedirectIsFollowedAndARedirectLoopIsLeftForTheNextServer) {
    // A server that moved its API answers with a redirect; the search arrives whole there.
    DirectoryServer moved;
    moved.handler = [this](const DirectoryServer::Request& r) {
        DirectoryServer::Reply reply;
        reply.status = 301;
        QUrl target(server.base() + r.path);
        target.setQuery(r.query);
        reply.location = target.toEncoded();
        return reply;
    };
    auto c = client({moved.base()});
    const auto answer = searchAndWait(*c, named("Jazz & Blues"));
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->error.isEmpty()) << answer->error.toStdString();
    EXPECT_EQ(answer->stations.size(), 3);
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0].path, "/json/stations/search");
    EXPECT_EQ(server.requests[0].query.queryItemValue("name", QUrl::FullyDecoded), "Jazz & Blues");
    EXPECT_EQ(server.requests[0].headers.value("user-agent"), kAgent.toUtf8());

    // One that sends the client round in a circle is given up on, and the next one asked.
    DirectoryServer looping;
    looping.handler = [&looping](const DirectoryServer::Request& r) {
        DirectoryServer::Reply reply;
        reply.status = 302;
        reply.location = (looping.base() + r.path).toUtf8();
        return reply;
    };
    auto next = client({looping.base(), server.base()});
    const auto after = searchAndWait(*next, named("rock"));
    ASSERT_TRUE(after.has_value());
    EXPECT_TRUE(after->error.isEmpty()) << after->error.toStdString();
    EXPECT_EQ(after->stations.size(), 3);
    EXPECT_LE(looping.requests.size(), 4);
    EXPECT_EQ(server.requests.size(), 2);

    auto only = client({looping.base()});
    const auto refused = searchAndWait(*only, named("rock"));
    ASSERT_TRUE(refused.has_value());
    EXPECT_TRUE(refused->error.contains("Redirect")) << refused->error.toStdString();
}

TEST_F(DirectoryClientTest, WhenEveryServerFailsTheAnswerSaysSoInWords) {
    DirectoryServer failing;
    failing.handler = [](const DirectoryServer::Request&) {
        DirectoryServer::Reply r;
        r.status = 502;
        return r;
    };
    SlammingServer slamming;
    auto c = client({slamming.base(), failing.base()});
    const auto answer = searchAndWait(*c, named("jazz"));
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->stations.isEmpty());
    EXPECT_TRUE(answer->error.contains("No directory server gave an answer"))
        << answer->error.toStdString();
    EXPECT_TRUE(answer->error.contains("502")) << answer->error.toStdString();

    auto none = client({});
    const auto nothing = searchAndWait(*none, named("jazz"));
    ASSERT_TRUE(nothing.has_value());
    EXPECT_TRUE(nothing->error.contains("No directory server could be found"))
        << nothing->error.toStdString();
}

TEST_F(DirectoryClientTest, AServerThatNeverAnswersTimesOutAndTheNextOneIsAsked) {
    DirectoryServer hanging;
    hanging.handler = [](const DirectoryServer::Request&) {
        DirectoryServer::Reply r;
        r.hang = true;
        return r;
    };
    auto c = client({hanging.base(), server.base()}, 1500);
    const auto answer = searchAndWait(*c, named("jazz"));
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->error.isEmpty()) << answer->error.toStdString();
    EXPECT_EQ(hanging.requests.size(), 1);
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(waitFor([&] { return hanging.disconnections == 1; }, 10000))
        << "the abandoned connection was left open";

    auto only = client({hanging.base()}, 1500);
    const auto timedOut = searchAndWait(*only, named("jazz"));
    ASSERT_TRUE(timedOut.has_value());
    EXPECT_TRUE(timedOut->error.contains("took too long")) << timedOut->error.toStdString();
}

TEST_F(DirectoryClientTest, ANewSearchAbandonsTheOneInFlightWhoseAnswerNeverArrives) {
    server.handler = [](const DirectoryServer::Request& r) {
        DirectoryServer::Reply reply;
        if (r.query.queryItemValue("name") == "slow")
            reply.hang = true;
        else
            reply.body = testsupport::stationRecords(2, r.query.queryItemValue("name"));
        return reply;
    };
    auto c = client({server.base()});
    int slowAnswers = 0;
    c->search(named("slow"), [&](const SearchAnswer&) { ++slowAnswers; });
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 1; }, 15000));
    const auto answer = searchAndWait(*c, named("fast"));
    ASSERT_TRUE(answer.has_value());
    ASSERT_EQ(answer->stations.size(), 2);
    EXPECT_EQ(answer->stations[0].name, "fast 0");
    EXPECT_TRUE(waitFor([&] { return server.disconnections >= 2; }, 10000))
        << "the abandoned request's connection stayed open";
    EXPECT_EQ(slowAnswers, 0);

    // cancel() abandons likewise, and the client can be destroyed with a search in flight.
    c->search(named("slow"), [&](const SearchAnswer&) { ++slowAnswers; });
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 3; }, 15000));
    c->cancel();
    c->search(named("slow"), [&](const SearchAnswer&) { ++slowAnswers; });
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 4; }, 15000));
    c.reset();
    EXPECT_TRUE(waitFor([&] { return server.disconnections >= 4; }, 10000));
    EXPECT_EQ(slowAnswers, 0);
}

TEST_F(DirectoryClientTest, AFiftyMegabyteAnswerIsRefusedEarlyWithAMessage) {
    for (const bool announced : {true, false}) {
        DirectoryServer huge;
        huge.handler = [announced](const DirectoryServer::Request&) {
            DirectoryServer::Reply r;
            r.endlessBytes = 50 * 1024 * 1024;
            r.announceLength = announced;
            return r;
        };
        auto c = client({huge.base()});
        const auto answer = searchAndWait(*c, named("jazz"));
        ASSERT_TRUE(answer.has_value());
        EXPECT_TRUE(answer->stations.isEmpty());
        EXPECT_TRUE(answer->error.contains("too large")) << answer->error.toStdString();
        // The client hung up long before the end: at most the cap and what was in transit.
        EXPECT_TRUE(waitFor([&] { return huge.disconnections == 1; }, 10000));
        EXPECT_LT(huge.bytesSent, 16 * 1024 * 1024) << "announced length: " << announced;
    }
}

TEST_F(DirectoryClientTest, AHeaderThatNeverEndsIsGivenUpAtItsCapAndItsConnectionClosedAtOnce) {
    // Headers without end, as fast as the connection takes them: the client stops at its
    // header cap, long before the deadline, and hangs up then. A client that gave up but
    // let its network layer go on reading would keep the server sending (tens of
    // megabytes a second here) until the server stopped at its own end, 1 TiB on.
    DirectoryServer endless;
    endless.handler = [](const DirectoryServer::Request&) {
        DirectoryServer::Reply r;
        r.endlessBytes = qint64(1) << 40;
        r.endlessHeader = true;
        return r;
    };
    auto c = client({endless.base(), server.base()}, 20000);
    QElapsedTimer clock;
    clock.start();
    std::optional<SearchAnswer> answer;
    c->search(named("jazz"), [&answer](const SearchAnswer& a) { answer = a; });
    ASSERT_TRUE(waitFor([&] { return answer.has_value(); }, 30000))
        << "still waiting after " << clock.elapsed() << " ms";
    EXPECT_LT(clock.elapsed(), 15000) << "given up by the deadline, not by the header cap";
    // The next server answered.
    EXPECT_TRUE(answer->error.isEmpty()) << answer->error.toStdString();
    EXPECT_EQ(answer->stations.size(), 3);
    ASSERT_TRUE(waitFor([&] { return endless.disconnections == 1; }, 10000))
        << "the connection was left open after the give-up; " << endless.bytesSent << " bytes sent";
    // What the server got out before the hang-up: the cap, and what the socket buffers on
    // both sides held.
    EXPECT_LT(endless.bytesSent, 16 * 1024 * 1024);

    auto only = client({endless.base()}, 20000);
    const auto refused = searchAndWait(*only, named("jazz"), 30000);
    ASSERT_TRUE(refused.has_value());
    EXPECT_TRUE(refused->stations.isEmpty());
    EXPECT_TRUE(refused->error.contains("headers too long")) << refused->error.toStdString();
    EXPECT_TRUE(waitFor([&] { return endless.disconnections == 2; }, 10000))
        << "the connection was left open after the give-up";
}

TEST_F(DirectoryClientTest, TheClientMayBeDestroyedFromInsideItsAnswerWhateverTheServerDid) {
    // The answer can arrive from inside the connection's own reading (a whole body, headers
    // over the cap, a refusal): destroying the client there must not pull the connection out
    // from under the code still running it. Caught by the sanitizer builds.
    DirectoryServer endless;
    endless.handler = [](const DirectoryServer::Request&) {
        DirectoryServer::Reply r;
        r.endlessBytes = qint64(1) << 40;
        r.endlessHeader = true;
        return r;
    };
    DirectoryServer refusing;
    refusing.handler = [](const DirectoryServer::Request&) {
        DirectoryServer::Reply r;
        r.status = 404;
        return r;
    };
    for (DirectoryServer* s : {&server, &endless, &refusing}) {
        const int closedBefore = s->disconnections;
        std::unique_ptr<HttpDirectoryClient> c = client({s->base()});
        bool answered = false;
        c->search(named("jazz"), [&](const SearchAnswer&) {
            answered = true;
            c.reset();
        });
        ASSERT_TRUE(waitFor([&] { return answered; }, 20000)) << s->base().toStdString();
        EXPECT_EQ(c, nullptr);
        EXPECT_TRUE(waitFor([&] { return s->disconnections == closedBefore + 1; }, 10000))
            << s->base().toStdString();
    }
}

TEST_F(DirectoryClientTest, AnAnswerCutShortOrNotJsonGivesAMessage) {
    for (const bool cutShort : {true, false}) {
        DirectoryServer bad;
        bad.handler = [cutShort](const DirectoryServer::Request&) {
            DirectoryServer::Reply r;
            r.cutShort = cutShort;
            r.body = cutShort ? testsupport::stationRecords(3) : QByteArray("<html>oops</html>");
            return r;
        };
        auto c = client({bad.base()});
        const auto answer = searchAndWait(*c, named("jazz"));
        ASSERT_TRUE(answer.has_value());
        EXPECT_TRUE(answer->stations.isEmpty());
        EXPECT_FALSE(answer->error.isEmpty());
    }
}

TEST_F(DirectoryClientTest, ServersAreLookedForOnlyAtTheFirstSearchAndOnlyOnce) {
    int lookups = 0;
    HttpDirectoryClient c(
        [&](std::function<void(QStringList)> found) {
            ++lookups;
            found({server.base()});
        },
        kAgent, {});
    EXPECT_EQ(lookups, 0) << "servers were looked for before any search";
    ASSERT_TRUE(searchAndWait(c, named("a")).has_value());
    ASSERT_TRUE(searchAndWait(c, named("b")).has_value());
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(server.requests.size(), 2);
}

TEST(DirectoryServerList, TheBuildSettingIsReadAsCommaSeparatedHttpBaseAddresses) {
    EXPECT_EQ(HttpDirectoryClient::parseServerList(
                  " https://de1.example/ , http://127.0.0.1:9,,ftp://x, nonsense ,https:///"),
              QStringList({"https://de1.example", "http://127.0.0.1:9"}));
    EXPECT_TRUE(HttpDirectoryClient::parseServerList("").isEmpty());
}
