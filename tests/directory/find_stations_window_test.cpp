// The "Find Stations" window over the real client and a loopback directory: typing,
// paging, plain-text results, playing and failures, as the user meets them.
#include "directory/find_stations_window.h"
#include "directory/http_directory_client.h"
#include "directory_server.h"
#include "wait.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using directory::FindStationsWindow;
using directory::HttpDirectoryClient;
using testsupport::DirectoryServer;
using testsupport::waitFor;

namespace {

class FindStationsTest : public ::testing::Test {
protected:
    void make(QStringList servers) {
        directory::FindStationsHooks hooks;
        hooks.makeClient = [servers](QString*) -> std::unique_ptr<directory::DirectoryClient> {
            HttpDirectoryClient::Limits limits;
            limits.perServerMs = 3000;
            return std::make_unique<HttpDirectoryClient>(HttpDirectoryClient::fixedServers(servers),
                                                         "KorvantLite/1.0.0", limits);
        };
        hooks.play = [this](const QString& a) { played << a; };
        hooks.slotNames = [] { return QStringList({"One", "A & B"}); };
        hooks.putInSlot = [this](int slot, const QString& name, const QString& address) {
            filled << QStringLiteral("%1|%2|%3").arg(slot).arg(name, address);
        };
        window = std::make_unique<FindStationsWindow>(std::move(hooks));
        window->show();
    }
    bool waitRows(int rows) {
        return waitFor(
            [&] {
                return !window->isSearching() && window->lstResults->topLevelItemCount() == rows;
            },
            15000);
    }
    void select(int row) {
        window->lstResults->setCurrentItem(window->lstResults->topLevelItem(row));
    }

    DirectoryServer server;
    QStringList played;
    QStringList filled;
    std::unique_ptr<FindStationsWindow> window;
};

} // namespace

TEST_F(FindStationsTest, TypingAWordQuicklySearchesOnceForTheWholeWordAfterThePause) {
    make({server.base()});
    QTest::keyClicks(window->txtName, "jazz fm");
    EXPECT_TRUE(server.requests.isEmpty()) << "searched while the user was still typing";
    ASSERT_TRUE(waitRows(3));
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0].query.queryItemValue("name", QUrl::FullyDecoded), "jazz fm");
    // Filters alone search too.
    window->txtName->clear();
    QTest::keyClicks(window->txtTag, "rock");
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 2; }, 15000));
    EXPECT_FALSE(server.requests[1].query.hasQueryItem("name"));
    EXPECT_EQ(server.requests[1].query.queryItemValue("tag"), "rock");
}

TEST_F(FindStationsTest, ResultsShowAsPlainTextAndOneWithoutAddressCannotBePlayedOrPutInASlot) {
    server.searchBody = R"([
        {"stationuuid":"aa-1","name":"<img src=x onerror=alert(1)><b>Bold</b>",
         "url_resolved":"http://127.0.0.1:1/a.mp3","country":"<i>Land</i>","codec":"MP3",
         "bitrate":128,"tags":"<a href='x'>t</a>","votes":9},
        {"stationuuid":"bb-2","name":"No Address","url":"ftp://127.0.0.1/x","votes":3}])";
    make({server.base()});
    window->txtName->setText("x");
    window->searchNow();
    ASSERT_TRUE(waitRows(2));
    QTreeWidgetItem* first = window->lstResults->topLevelItem(0);
    EXPECT_EQ(first->text(0), "<img src=x onerror=alert(1)><b>Bold</b>");
    EXPECT_EQ(first->text(1), "<i>Land</i>");
    EXPECT_EQ(first->text(2), "MP3 128 kbit/s");
    EXPECT_EQ(first->text(4), "9");
    // Tool tips are rich text: the markup arrives escaped.
    EXPECT_TRUE(first->toolTip(0).contains("&lt;img src=x")) << first->toolTip(0).toStdString();
    EXPECT_FALSE(first->toolTip(0).contains("<img"));
    EXPECT_FALSE(first->toolTip(3).contains("<a "));

    select(1);
    EXPECT_FALSE(window->cmdPlay->isEnabled());
    EXPECT_FALSE(window->cmdPutInSlot->isEnabled());
    EXPECT_TRUE(window->lblStatus->text().contains("no usable stream address"));
    window->playSelected();
    window->putSelectedInSlot(0);
    EXPECT_TRUE(played.isEmpty());
    EXPECT_TRUE(filled.isEmpty());
    EXPECT_EQ(server.count("/json/url/"), 0);

    select(0);
    EXPECT_TRUE(window->cmdPlay->isEnabled());
    EXPECT_TRUE(window->cmdPutInSlot->isEnabled());
}

TEST_F(FindStationsTest, PlayPlaysTheResolvedAddressAndTellsTheDirectoryOnce) {
    make({server.base()});
    window->txtName->setText("jazz");
    window->searchNow();
    ASSERT_TRUE(waitRows(3));
    select(0);
    QTest::mouseClick(window->cmdPlay, Qt::LeftButton);
    EXPECT_EQ(played, QStringList({"http://127.0.0.1:1/s0.mp3"}));
    ASSERT_TRUE(waitFor([&] { return server.count("/json/url/") == 1; }, 15000));
    const QString uuid = server.requests.last().path.mid(QStringLiteral("/json/url/").size());
    EXPECT_EQ(uuid, window->stations()[0].uuid);
    EXPECT_EQ(server.count("/json/stations/search"), 1);
}

TEST_F(FindStationsTest, PutInSlotOffersTheTenSlotsByNameAndHandsOverNameAndAddress) {
    server.searchBody = R"([{"stationuuid":"aa-1","name":"Say \"Hi\", FM",
                             "url_resolved":"http://127.0.0.1:1/a.mp3"}])";
    make({server.base()});
    window->txtName->setText("hi");
    window->searchNow();
    ASSERT_TRUE(waitRows(1));
    select(0);
    emit window->mnuSlots->aboutToShow();
    const QList<QAction*> entries = window->mnuSlots->actions();
    ASSERT_EQ(entries.size(), 10);
    EXPECT_EQ(entries[0]->text(), "1: One");
    EXPECT_EQ(entries[1]->text(), "2: A && B"); // a literal '&', not a mnemonic
    EXPECT_EQ(entries[9]->text(), "10: (empty)");
    entries[3]->trigger();
    // The favourites file cannot hold a double quote followed by a comma.
    EXPECT_EQ(filled, QStringList({"3|Say 'Hi', FM|http://127.0.0.1:1/a.mp3"}));
}

TEST_F(FindStationsTest, NextAndPreviousPagesAskForTheNeighbouringHundred) {
    server.searchBody = testsupport::stationRecords(101);
    make({server.base()});
    window->txtName->setText("s");
    window->searchNow();
    ASSERT_TRUE(waitRows(100));
    EXPECT_TRUE(window->cmdNext->isEnabled());
    EXPECT_FALSE(window->cmdPrevious->isEnabled());
    server.searchBody = testsupport::stationRecords(5, "Later");
    QTest::mouseClick(window->cmdNext, Qt::LeftButton);
    ASSERT_TRUE(waitRows(5));
    EXPECT_EQ(server.requests.last().query.queryItemValue("offset"), "100");
    EXPECT_EQ(server.requests.last().query.queryItemValue("name"), "s");
    EXPECT_FALSE(window->cmdNext->isEnabled());
    EXPECT_TRUE(window->cmdPrevious->isEnabled());
    EXPECT_TRUE(window->lblStatus->text().contains("101 to 105"))
        << window->lblStatus->text().toStdString();
    server.searchBody = testsupport::stationRecords(101);
    QTest::mouseClick(window->cmdPrevious, Qt::LeftButton);
    ASSERT_TRUE(waitRows(100));
    EXPECT_EQ(server.requests.last().query.queryItemValue("offset"), "0");
}

TEST_F(FindStationsTest, WhenNoServerAnswersTheWindowSaysSoAndTheNextSearchStillWorks) {
    DirectoryServer failing;
    failing.handler = [](const DirectoryServer::Request&) {
        DirectoryServer::Reply r;
        r.status = 503;
        return r;
    };
    make({failing.base()});
    window->txtName->setText("jazz");
    window->searchNow();
    ASSERT_TRUE(waitFor([&] { return !window->isSearching(); }, 15000));
    EXPECT_TRUE(window->lblStatus->text().contains("No directory server gave an answer"))
        << window->lblStatus->text().toStdString();
    EXPECT_EQ(window->lblStatus->textFormat(), Qt::PlainText);
    EXPECT_EQ(window->lstResults->topLevelItemCount(), 0);
    failing.handler = nullptr;
    window->searchNow();
    ASSERT_TRUE(waitRows(3));
}

TEST_F(FindStationsTest, ADirectoryThatCannotBeLoadedIsExplainedInWords) {
    directory::FindStationsHooks hooks;
    hooks.makeClient = [](QString* error) -> std::unique_ptr<directory::DirectoryClient> {
        *error = "module missing";
        return nullptr;
    };
    FindStationsWindow w(std::move(hooks));
    w.txtName->setText("jazz");
    w.searchNow();
    EXPECT_TRUE(w.lblStatus->text().contains("module missing"));
    EXPECT_FALSE(w.isSearching());
}
