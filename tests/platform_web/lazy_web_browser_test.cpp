// The lazily loaded browser without its engine: what it keeps before it is shown, the
// engine's flags, and a module that cannot be found.
#include "platform/web/lazy_web_browser.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool webEngineInProcess() {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngine");
}

TEST(WebEngineFlags, TheSandboxIsTurnedOffOnlyWhenTestsAskForIt) {
    EXPECT_TRUE(platform::webEngineFlags("", true).contains("--no-sandbox"));
    EXPECT_FALSE(platform::webEngineFlags("", false).contains("--no-sandbox"));
}

TEST(WebEngineFlags, FlagsFromTheEnvironmentThatTurnTheSandboxOffAreDropped) {
    const QByteArray flags = platform::webEngineFlags(
        "--no-sandbox --enable-logging  --disable-setuid-sandbox --disable-namespace-sandbox "
        "--disable-seccomp-filter-sandbox --disable-gpu-sandbox --single-process "
        "--no-sandbox=1",
        false);
    EXPECT_FALSE(flags.contains("sandbox")) << flags.toStdString();
    EXPECT_FALSE(flags.contains("--single-process")) << flags.toStdString();
    EXPECT_TRUE(flags.startsWith("--enable-logging ")) << flags.toStdString();
}

TEST(WebEngineFlags, TheEnginesOwnBackgroundConnectionsAreTurnedOff) {
    const QByteArray flags = platform::webEngineFlags("", false);
    EXPECT_TRUE(flags.contains("--disable-background-networking"));
    EXPECT_TRUE(flags.contains("--disable-component-update"));
}

TEST(WebEngineFlags, FlagsAlreadyGivenAreKeptAndNotRepeated) {
    const QByteArray flags =
        platform::webEngineFlags("--enable-logging --no-sandbox --disable-component-update", true);
    EXPECT_TRUE(flags.startsWith("--enable-logging --no-sandbox --disable-component-update"));
    EXPECT_EQ(flags.count("--no-sandbox"), 1);
    EXPECT_EQ(flags.count("--disable-component-update"), 1);
}

TEST(LazyWebBrowserAddress, TypedAddressesBecomeWebAddressesAndAnEmptyOneABlankPage) {
    EXPECT_EQ(platform::LazyWebBrowser::toUrl(""), QUrl("about:blank"));
    EXPECT_EQ(platform::LazyWebBrowser::toUrl("  "), QUrl("about:blank"));
    EXPECT_EQ(platform::LazyWebBrowser::toUrl("http://127.0.0.1:8000/a b"),
              QUrl("http://127.0.0.1:8000/a%20b"));
    EXPECT_EQ(platform::LazyWebBrowser::toUrl("127.0.0.1/x").scheme(), "http");
}

TEST(LazyWebBrowserAddress, OnlyWebAddressesAreOpened) {
    for (const char* address :
         {"javascript:alert(document.domain)", "JAVASCRIPT:alert(1)", "file:///etc/passwd",
          "/etc/passwd", "data:text/html,<b>x</b>", "about:blank", "ftp://127.0.0.1/",
          "korvant-custom:anything", "http:///no-host", "view-source:http://127.0.0.1/",
          "blob:http://127.0.0.1/1"}) {
        EXPECT_TRUE(platform::LazyWebBrowser::toUrl(address).isEmpty()) << address;
    }
    EXPECT_EQ(platform::LazyWebBrowser::toUrl("https://127.0.0.1:1/x"),
              QUrl("https://127.0.0.1:1/x"));
    EXPECT_EQ(platform::LazyWebBrowser::toUrl("HTTP://127.0.0.1:1/x"),
              QUrl("http://127.0.0.1:1/x"));
}

TEST(LazyWebBrowser, StaysWithoutAnEngineWhileHiddenAndShowsANoticeWhenTheModuleIsMissing) {
    QTemporaryDir empty;
    platform::LazyWebBrowserFactory factory(empty.path());
    factory.allowRootWithoutSandboxForTests(); // the module's absence, not root, is shown
    QWidget window;
    auto* browser = qobject_cast<platform::LazyWebBrowser*>(factory.create(&window));
    ASSERT_NE(browser, nullptr);
    browser->hide();
    browser->Navigate("http://127.0.0.1:1/");
    browser->requestFocus();
    window.show();
    EXPECT_FALSE(factory.engineLoaded());
    EXPECT_FALSE(browser->hasEngineView());
    EXPECT_TRUE(browser->notice().isEmpty());

    browser->show();
    EXPECT_FALSE(factory.engineLoaded());
    EXPECT_FALSE(browser->hasEngineView());
    EXPECT_FALSE(browser->notice().isEmpty());
    EXPECT_EQ(browser->pageTitle(), QString());
    // Later requests are harmless without an engine.
    browser->Navigate2("http://127.0.0.1:1/");
    browser->requestFocus();
    EXPECT_FALSE(webEngineInProcess());
}

TEST(LazyWebBrowser, EveryBrowserOfAFactoryTriesTheModuleOnlyOnce) {
    QTemporaryDir empty;
    platform::LazyWebBrowserFactory factory(empty.path());
    factory.allowRootWithoutSandboxForTests(); // the module's absence, not root, is shown
    QWidget window;
    auto* first = qobject_cast<platform::LazyWebBrowser*>(factory.create(&window));
    auto* second = qobject_cast<platform::LazyWebBrowser*>(factory.create(&window));
    window.show();
    EXPECT_FALSE(first->notice().isEmpty());
    EXPECT_EQ(second->notice(), first->notice());
}

} // namespace
