// Starts the main window over the platform fakes on the data folder named on the command
// line, as the program does, and reports on standard output once the window is on the
// screen: how long that took, the peak memory and processor time so far, the links
// menu's title and every message shown. With "save" after the folder it then saves the
// favourites and the start-up options and reports the messages of those saves too.
// The test that runs it bounds it in time, so a start-up that hangs fails the test
// instead of hanging it.
#include "fakes.h"

#include "app/frm_tanro.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTest>
#include <cstdio>
#include <sys/resource.h>

namespace {

void printMessages(const fakes::FakeMessageBox& messages, std::size_t from) {
    for (std::size_t i = from; i < messages.shown.size(); ++i) {
        QString prompt = messages.shown[i].prompt;
        prompt.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        std::printf("message %s\n", prompt.toUtf8().constData());
    }
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DATA_FOLDER [save]\n", argv[0]);
        return 2;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const bool save = argc > 2 && qstrcmp(argv[2], "save") == 0;

    fakes::FakeMediaPlayer player;
    fakes::FakeNotifyArea area;
    fakes::FakeShell shell;
    fakes::FakeWebBrowserFactory browsers;
    fakes::FakeMessageBox messages;
    fakes::FakeFolderChooser folders;
    app::frmTANRO window({player, area, shell, browsers, messages, folders, folder,
                          QStringLiteral("127.0.0.1"), [] {}});
    window.Form_Load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 60000)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    const qint64 shownMs = sinceStart.elapsed();
    // Messages deferred to after the window are posted by now; run them.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
    std::printf("shown_ms %lld\n", static_cast<long long>(shownMs));
    std::printf("peak_rss_kib %ld\n", usage.ru_maxrss);
    std::printf("cpu_ms %ld\n", cpuMs);
    std::printf("links_menu %s\n", window.mnuPstuff->title().toUtf8().constData());
    printMessages(messages, 0);
    if (save) {
        const std::size_t before = messages.shown.size();
        window.cmdSavefavs_Click();
        window.Command1_Click();
        std::printf("saved\n");
        printMessages(messages, before);
    }
    std::fflush(stdout);
    return 0;
}
