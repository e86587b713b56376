// The desktop's real opener path, under a display whose Qt platform hands addresses to
// xdg-open: hostile launch text reaches it as one argument and nothing in it runs.
#include "environment.h"
#include "hostile_launch.h"
#include "wait.h"

#include <QDesktopServices>
#include <QThread>
#include <QUrl>
#include <optional>

namespace {

using faults::HostileLaunch;
using faults::kHostileAddress;

// The desktop's own opener, stood in for by a recording script named xdg-open first on
// PATH: what it receives on its command line is what a real opener would get.
class HostileLaunchToTheDesktop : public HostileLaunch {
protected:
    void SetUp() override {
        HostileLaunch::SetUp();
        ASSERT_TRUE(bin.isValid());
        record = bin.filePath("argv");
        QFile script(bin.filePath("xdg-open"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "{ printf '%s\\n' \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } "
                     "> \"" +
                     QFile::encodeName(record) +
                     ".part\"\n"
                     "mv \"" +
                     QFile::encodeName(record) + ".part\" \"" + QFile::encodeName(record) + "\"\n");
        script.close();
        ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        pathEnv.emplace("PATH", bin.path() + ":" + qEnvironmentVariable("PATH"));
        browser.emplace("BROWSER");
        defaultBrowser.emplace("DEFAULT_BROWSER");
    }
    void TearDown() override {
        defaultBrowser.reset();
        browser.reset();
        pathEnv.reset();
        HostileLaunch::TearDown();
    }
    // The opener's arguments, once it has run.
    QStringList argumentsSeen() {
        testsupport::waitFor([&] { return QFile::exists(record); }, 30000);
        QFile file(record);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        lines.removeLast();
        return lines;
    }

    QTemporaryDir bin;
    QString record;
    std::optional<testsupport::ScopedEnv> pathEnv, browser, defaultBrowser;
};

TEST_F(HostileLaunchToTheDesktop, TheOpenerGetsOneArgumentAndNothingRuns) {
    if (!shell.execute("explorer " + kHostileAddress, 4))
        GTEST_SKIP() << "this Qt platform has no desktop opener to hand addresses to";
    QStringList seen = argumentsSeen();
    ASSERT_EQ(seen.size(), 2) << seen.join(" | ").toStdString();
    EXPECT_EQ(seen[0], "1");
    const QUrl url = QUrl::fromEncoded(seen[1].toUtf8(), QUrl::StrictMode);
    EXPECT_EQ(url.host(), "127.0.0.1");
    EXPECT_EQ(url.path(QUrl::FullyDecoded), "/a b/'q'\"d\";$(touch pwned4)`touch pwned5`");
    EXPECT_EQ(url.query(QUrl::FullyDecoded), "x=1;y=$(touch pwned6)&z=`id`");

    QFile::remove(record);
    const QString path = makeProgramFile();
    ASSERT_TRUE(shell.execute("notepad.exe " + path, 1));
    seen = argumentsSeen();
    ASSERT_EQ(seen.size(), 2) << seen.join(" | ").toStdString();
    EXPECT_EQ(seen[0], "1");
    EXPECT_EQ(QUrl::fromEncoded(seen[1].toUtf8(), QUrl::StrictMode).toLocalFile(), path);

    QThread::msleep(200); // anything injected would have run by now
    expectNoMarkers();
}

} // namespace
