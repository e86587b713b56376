// The links window with the real browser: the web engine is loaded from its module when
// the browser is first shown, and shows pages served on loopback.
#include "links_fixture.h"
#include "platform/web/lazy_web_browser.h"
#include "wait.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextStream>
#include <unistd.h>

using namespace links_test;

namespace {

const QByteArray kPage = "<html><head><title>Korvant Test Page</title></head>"
                         "<body><h1>Hello from loopback</h1></body></html>";

// Answers every request on 127.0.0.1 with the same small page.
class PageServer {
public:
    explicit PageServer(QByteArray page = kPage) {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this, page] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, page] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                  "Connection: close\r\nContent-Length: " +
                                  QByteArray::number(page.size()) + "\r\n\r\n" + page);
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

// Writes a file of the given text into `folder` and returns its path.
QString writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& text) {
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return file.fileName();
}

// Every test here runs as root, where only the test switch lets the engine start.
class LinksBrowser : public LinksTest {
protected:
    LinksBrowser() { factory.allowRootWithoutSandboxForTests(); }

    void startLinks(const QString& firstAddress, const QString& secondAddress,
                    const QStringList& moreLinks = {}) {
        QStringList record = kSavedRecord;
        for (int i = 0; i + 1 < moreLinks.size(); i += 2) {
            record[3 + i / 2] = moreLinks[i];
            record[8 + i / 2] = moreLinks[i + 1];
        }
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
    missing.allowRootWithoutSandboxForTests();
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

// The links file is anybody's to write: an address with another scheme than http or
// https must neither run code in the page shown nor show a local file or made-up page,
// whether it comes from a link or straight to the browser.
TEST_F(LinksBrowser, LinksToOtherThanWebAddressesAreRefusedAndNothingOfThemReachesThePage) {
    PageServer server;
    QTemporaryDir local;
    const QString localPage =
        writeFile(local, "local.html", "<html><head><title>Local File</title></head></html>");
    const QStringList hostile = {
        "Script",  "javascript:void(document.title='Ran')",
        "Local",   QUrl::fromLocalFile(localPage).toString(),
        "Made Up", "data:text/html,<title>Made Up</title>",
    };
    startLinks(QString("http://127.0.0.1:%1/index.html").arg(server.port()), "", hostile);
    QSignalSpy loaded(browser(), &platform::LazyWebBrowser::pageLoaded);
    links->mnuLpstuff_Click();
    ASSERT_TRUE(loaded.wait(60000)) << browser()->notice().toStdString();
    ASSERT_TRUE(loaded.takeFirst().at(0).toBool());
    ASSERT_EQ(browser()->pageTitle().toStdString(), "Korvant Test Page");
    loaded.clear();
    QSignalSpy titles(browser()->engineView(), SIGNAL(titleChanged(QString)));
    const QUrl shown = browser()->engineView()->property("url").toUrl();

    links->mnuLumon_Click();
    links->mnuLvimble_Click();
    links->mnuLname5_Click();
    ASSERT_EQ(messages.shown.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(messages.shown[i].prompt.contains(hostile[2 * i])) << i;
        EXPECT_TRUE(messages.shown[i].prompt.contains(hostile[2 * i + 1])) << i;
    }
    for (int i = 1; i < hostile.size(); i += 2)
        browser()->Navigate2(hostile[i]);

    // A refused address has no sign to wait for: a script or page that did get through
    // changes the title within milliseconds, so a few seconds without any change (or any
    // page load) stand for never.
    EXPECT_FALSE(testsupport::waitFor([&] { return !titles.isEmpty() || !loaded.isEmpty(); }, 3000))
        << (titles.isEmpty() ? "a page loaded" : titles.first().at(0).toString().toStdString());
    EXPECT_EQ(browser()->pageTitle().toStdString(), "Korvant Test Page");
    EXPECT_EQ(browser()->engineView()->property("url").toUrl(), shown);
}

// A local page (one the engine could be made to show, such as a saved page) must not be
// able to read the user's files.
TEST_F(LinksBrowser, ALocalPageCannotReadLocalFiles) {
    QTemporaryDir local;
    writeFile(local, "secret.txt", "the secret");
    const QString page = writeFile(
        local, "page.html",
        "<html><head><title>Reading</title><script>"
        "var x = new XMLHttpRequest();"
        "x.onload = function() { document.title = 'read ' + x.responseText.length; };"
        "x.onerror = function() { document.title = 'refused'; };"
        "try { x.open('GET', 'secret.txt'); x.send(); } catch (e) { document.title = 'refused'; }"
        "</script></head></html>");
    startLinks("http://127.0.0.1:1/", "");
    links->mnuElinks_Click();
    links->form()->showBrowserView();
    ASSERT_TRUE(factory.engineLoaded()) << browser()->notice().toStdString();
    // Past the links, which open only web addresses: straight to the engine's view.
    browser()->engineView()->setProperty("url", QUrl::fromLocalFile(page));
    ASSERT_TRUE(
        testsupport::waitFor([&] { return browser()->pageTitle().startsWith("re"); }, 60000))
        << browser()->pageTitle().toStdString();
    EXPECT_EQ(browser()->pageTitle().toStdString(), "refused");
}

// Records the addresses the desktop would have been asked to open.
class DesktopOpener : public QObject {
    Q_OBJECT
public:
    explicit DesktopOpener(const QString& scheme) : scheme_(scheme) {
        QDesktopServices::setUrlHandler(scheme_, this, "open");
    }
    ~DesktopOpener() override { QDesktopServices::unsetUrlHandler(scheme_); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }

private:
    QString scheme_;
};

// A page must not hand addresses of other schemes to the desktop, which would start
// whatever program is registered for them.
TEST_F(LinksBrowser, APageCannotMakeTheDesktopOpenAnAddressOfAnotherScheme) {
    DesktopOpener opener("korvant-test");
    PageServer server("<html><head><title>Handing Over</title></head>"
                      "<body style='margin:0'><a href='korvant-test:from-the-page' "
                      "onclick=\"document.title = 'Clicked'\" "
                      "style='display:block;width:100%;height:100vh'>Open</a></body></html>");
    startLinks(QString("http://127.0.0.1:%1/index.html").arg(server.port()), "");
    QSignalSpy loaded(browser(), &platform::LazyWebBrowser::pageLoaded);
    links->mnuLpstuff_Click();
    ASSERT_TRUE(loaded.wait(60000)) << browser()->notice().toStdString();
    // The user's click on the page's link, which the engine takes as consent.
    QWidget* input = browser()->engineView()->focusProxy();
    ASSERT_NE(input, nullptr);
    ASSERT_TRUE(testsupport::waitFor([&] { return input->isVisible(); }, 10000));
    // The click lands (the page's own handler runs) before anything is handed over, which
    // then happens within milliseconds. A page that has not drawn its first frame yet drops
    // input (seen on a slow machine), so the user clicks again until one lands.
    const auto landed = [&] {
        return browser()->pageTitle() == "Clicked" || !opener.opened.isEmpty();
    };
    ASSERT_TRUE(testsupport::waitFor(
        [&] {
            QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
            return testsupport::waitFor(landed, 1000);
        },
        60000));
    EXPECT_FALSE(testsupport::waitFor([&] { return !opener.opened.isEmpty(); }, 3000))
        << opener.opened.first().toString().toStdString();
}

// The tests run as root: without the test switch, the program's own browser must stay off
// and say why, rather than run the engine without its sandbox.
TEST_F(LinksBrowser, AsRootTheEngineIsNeverLoadedAndTheWindowSaysWhy) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs to run as root";
    platform::LazyWebBrowserFactory program{QStringLiteral(KORVANT_MODULE_DIR)};
    PageServer server;
    startLinks(QString("http://127.0.0.1:%1/index.html").arg(server.port()), "");
    links = std::make_unique<links::Links>(menu, dataFolder(), program, shell, messages);
    links->mnuLpstuff_Click();
    ASSERT_TRUE(links->form()->isVisible());
    EXPECT_TRUE(browser()->isVisible());
    EXPECT_FALSE(program.engineLoaded());
    EXPECT_FALSE(browser()->hasEngineView());
    EXPECT_FALSE(webEngineInProcess());
    EXPECT_TRUE(browser()->notice().contains("running as root"))
        << browser()->notice().toStdString();
    EXPECT_TRUE(browser()->notice().contains("ordinary user"));
    EXPECT_TRUE(messages.shown.empty());
    // Later links change nothing and load nothing.
    links->mnuLpstuff_Click();
    EXPECT_FALSE(webEngineInProcess());
}

} // namespace

#include "links_browser_test.moc"
