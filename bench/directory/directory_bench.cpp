// "Find Stations" costs: the window's opening time, and the time from search to 100 rows
// shown against a loopback directory, each beside a baseline measured in the same run (a
// bare window with the same kinds of controls; a bare fetch, parse and list fill).
//   directory_bench [--rounds N]
#include "directory/find_stations_window.h"
#include "directory/http_directory_client.h"
#include "directory_server.h"
#include "wait.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

using testsupport::waitFor;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Made, shown and exposed on the display.
template <typename Make> double openingMs(Make make) {
    QElapsedTimer t;
    t.start();
    std::unique_ptr<QWidget> w = make();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get(), 10000))
        return -1;
    QApplication::processEvents();
    return msSince(t);
}

std::unique_ptr<QWidget> bareWindow() {
    auto w = std::make_unique<QWidget>();
    auto* form = new QFormLayout(w.get());
    for (int i = 0; i < 5; ++i)
        form->addRow(QStringLiteral("Field %1:").arg(i), new QLineEdit);
    auto* list = new QTreeWidget;
    list->setHeaderLabels({"Name", "Country", "Codec", "Tags", "Votes"});
    form->addRow(list);
    for (int i = 0; i < 4; ++i)
        form->addRow(new QPushButton(QStringLiteral("Button %1").arg(i)));
    w->resize(720, 520);
    return w;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rounds = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--rounds")
            rounds = std::max(1, QByteArray(argv[i + 1]).toInt());

    testsupport::DirectoryServer server;
    server.searchBody = testsupport::stationRecords(101);
    std::printf("answer: %d stations, %lld bytes, from %s; %d rounds (platform %s)\n", 101,
                static_cast<long long>(server.searchBody.size()), qPrintable(server.base()), rounds,
                qPrintable(QGuiApplication::platformName()));

    // Warm both paths once so that neither pays first-use costs in the figures.
    openingMs(bareWindow);
    openingMs([] {
        return std::make_unique<directory::FindStationsWindow>(directory::FindStationsHooks{});
    });

    std::vector<double> openOurs, openBare, searchOurs, searchBare, showOurs;
    for (int round = 0; round < rounds; ++round) {
        openBare.push_back(openingMs(bareWindow));
        openOurs.push_back(openingMs([] {
            return std::make_unique<directory::FindStationsWindow>(directory::FindStationsHooks{});
        }));

        // Ours: the window's search with the real client, to 100 rows listed and painted.
        {
            QElapsedTimer answered;
            directory::FindStationsHooks hooks;
            hooks.makeClient = [&](QString*) -> std::unique_ptr<directory::DirectoryClient> {
                return std::make_unique<directory::HttpDirectoryClient>(
                    directory::HttpDirectoryClient::fixedServers({server.base()}),
                    "KorvantLite/1.0.0", directory::HttpDirectoryClient::Limits{});
            };
            directory::FindStationsWindow w(std::move(hooks));
            w.show();
            if (!QTest::qWaitForWindowExposed(&w, 10000))
                return 1;
            w.txtName->setText(QStringLiteral("station"));
            QElapsedTimer t;
            t.start();
            w.searchNow();
            waitFor([&] { return w.lstResults->topLevelItemCount() == 100; }, 20000);
            w.lstResults->viewport()->repaint();
            searchOurs.push_back(msSince(t));
        }
        // Answer to rows: the same window handed an answer already read, to 100 rows painted.
        {
            bool more = false;
            QString error;
            directory::SearchAnswer answer;
            answer.stations = directory::readStations(server.searchBody, &more, &error);
            answer.more = more;
            struct Ready final : directory::DirectoryClient {
                directory::SearchAnswer a;
                void search(const directory::SearchQuery&, Done done) override { done(a); }
                void cancel() override {}
                void countClick(const QString&) override {}
            };
            directory::FindStationsHooks hooks;
            hooks.makeClient = [&](QString*) -> std::unique_ptr<directory::DirectoryClient> {
                auto c = std::make_unique<Ready>();
                c->a = answer;
                return c;
            };
            directory::FindStationsWindow w(std::move(hooks));
            w.show();
            if (!QTest::qWaitForWindowExposed(&w, 10000))
                return 1;
            w.txtName->setText(QStringLiteral("warm"));
            w.searchNow(); // makes the client
            QElapsedTimer t;
            t.start();
            w.searchNow();
            w.lstResults->viewport()->repaint();
            showOurs.push_back(msSince(t));
        }
        // Baseline: a bare fetch, JSON parse and list fill of the same answer.
        {
            QNetworkAccessManager net;
            QTreeWidget list;
            list.setHeaderLabels({"Name", "Country", "Codec", "Tags", "Votes"});
            list.resize(720, 400);
            list.show();
            if (!QTest::qWaitForWindowExposed(&list, 10000))
                return 1;
            QElapsedTimer t;
            t.start();
            QNetworkReply* reply = net.get(QNetworkRequest(
                QUrl(server.base() + "/json/stations/search?name=station&limit=101")));
            bool done = false;
            QObject::connect(reply, &QNetworkReply::finished, [&] {
                const QJsonArray a = QJsonDocument::fromJson(reply->readAll()).array();
                for (qsizetype i = 0; i < std::min<qsizetype>(a.size(), 100); ++i) {
                    const QJsonObject o = a[i].toObject();
                    auto* item = new QTreeWidgetItem(&list);
                    item->setText(0, o["name"].toString());
                    item->setText(1, o["country"].toString());
                    item->setText(2, o["codec"].toString());
                    item->setText(3, o["tags"].toString());
                    item->setText(4, QString::number(o["votes"].toInt()));
                }
                done = true;
            });
            waitFor([&] { return done; }, 20000);
            list.viewport()->repaint();
            searchBare.push_back(msSince(t));
            reply->deleteLater();
        }
        std::printf("round %2d  open ours %6.2f bare %6.2f ms  search->100 rows ours %6.2f bare "
                    "%6.2f ms  answer->100 rows ours %6.2f ms\n",
                    round + 1, openOurs.back(), openBare.back(), searchOurs.back(),
                    searchBare.back(), showOurs.back());
        std::fflush(stdout);
    }
    const double oo = median(openOurs), ob = median(openBare);
    const double so = median(searchOurs), sb = median(searchBare);
    std::printf("median window opened, ms: ours %.2f bare %.2f ratio %.2fx\n", oo, ob, oo / ob);
    std::printf("median search -> 100 rows shown, ms: ours %.2f bare %.2f ratio %.2fx\n", so, sb,
                so / sb);
    std::printf("median answer -> 100 rows shown, ms: ours %.2f\n", median(showOurs));
    return 0;
}
