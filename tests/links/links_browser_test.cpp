// The links window with the real browser: the web engine is loaded from its module when
// the browser is first shown, and shows pages served on loopback.
#include "links_fixture.h"
#include "platform/web/lazy_web_browser.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace links_test;

namespace {

const QByteArray kPage = "<html><head><title>Korvant Test Page</title></head>"
                         "<body><h1>Hello from loopback</h1></body></html>";

// Answers every request on 127.0.0.1 with the same small page.
class PageServer {
public:
    PageServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                  "Connection: close\r\nContent-Length: " +
                                  QByteArray::number(kPage.size()) + "\r\n\r\n" + kPage);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
};

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool webEngineInProcess() {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

class LinksBrowser : public LinksTest {
protected:
    void startLinks(const QString& firstAddress, const QString& secondAddress) {
        QStringList record = kSavedRecord;
        record[1] = "Local Page";
        record[6] = firstAddress;
        record[2] = "Closed Port";
        record[7] = secondAddress;
        writeLinksFile(recordLine(record));
        links = std::make_unique<links::Links>(menu, dataFolder(), factory, shell, messages);
        links->loadHidden();
    }
    platform::LazyWebBrowser* browser() const {
        return qobject_cast<platform::LazyWebBrowser*>(links->form()->WebBrowser2);
    }

    platform::LazyWebBrowserFactory factory{QStringLiteral(KORVANT_MODULE_DIR)};
};

TEST_F(LinksBrowser, ALinkShowsItsLoopbackPageAndAClosedPortShowsTheEnginesErrorPage) {
    PageServer server;
    const QString page = QString("http://127.0.0.1:%1/index.html").arg(server.port());
    const QString refused = QString("http://127.0.0.1:%1/").arg(closedPort());
    startLinks(page, refused);

    // Start-up and the editor view leave the engine out of the process.
    links->mnuElinks_Click();
    ASSERT_NE(browser(), nullptr);
    EXPECT_FALSE(browser()->hasEngineView());
    EXPECT_FALSE(factory.engineLoaded());
    EXPECT_FALSE(webEngineInProcess());

    QSignalSpy loaded(browser(), &platform::LazyWebBrowser::pageLoaded);
    links->mnuLpstuff_Click();
    ASSERT_TRUE(factory.engineLoaded()) << browser()->notice().toStdString();
    EXPECT_TRUE(webEngineInProcess());
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_TRUE(loaded.takeFirst().at(0).toBool());
    EXPECT_EQ(browser()->pageTitle(), "Korvant Test Page");

    const QString shot = qEnvironmentVariable("KORVANT_SCREENSHOT");
    if (!shot.isEmpty()) {
        // For looking at by eye: the whole X screen under Xvfb, else the window alone.
        QTest::qWait(1500);
        if (qEnvironmentVariableIsSet("DISPLAY"))
            QProcess::execute("import", {"-window", "root", shot});
        else
            links->form()->grab().save(shot);
    }

    links->mnuCupdates_Click();
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_FALSE(loaded.takeFirst().at(0).toBool());
    EXPECT_TRUE(links->form()->isVisible());

    // The program goes on: the window still opens pages afterwards.
    links->mnuLpstuff_Click();
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_TRUE(loaded.takeFirst().at(0).toBool());
}

TEST_F(LinksBrowser, AMissingModuleShowsANoticeInsteadOfPages) {
    QTemporaryDir empty;
    platform::LazyWebBrowserFactory missing(empty.path());
    startLinks("http://127.0.0.1:1/", "");
    links = std::make_unique<links::Links>(menu, dataFolder(), missing, shell, messages);
    links->mnuLpstuff_Click();
    auto* lazy = qobject_cast<platform::LazyWebBrowser*>(links->form()->WebBrowser2);
    ASSERT_NE(lazy, nullptr);
    EXPECT_FALSE(missing.engineLoaded());
    EXPECT_FALSE(lazy->hasEngineView());
    EXPECT_FALSE(lazy->notice().isEmpty());
    EXPECT_TRUE(links->form()->isVisible());
}

} // namespace
