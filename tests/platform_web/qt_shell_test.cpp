// The shell launcher: which command lines reach the desktop's openers, and how.
#include "platform/web/qt_shell.h"

#include "recording_opener.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using Opener = fakes::RecordingOpener;

class QtShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* scheme : {"file", "http", "https", "ftp"})
            QDesktopServices::setUrlHandler(scheme, &opener, "open");
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override {
        for (const char* scheme : {"file", "http", "https", "ftp"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QString makeFile(const QString& name) {
        const QString path = folder.path() + "/" + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    Opener opener;
    QTemporaryDir folder;
    platform::QtShell shell;
};

TEST_F(QtShellTest, NotepadOpensAnExistingFileWhosePathIsTakenWhole) {
    const QString path = makeFile("help file; $(touch x) `id` \"q\" & more.txt");
    EXPECT_TRUE(shell.execute("notepad.exe " + path, platform::SW_SHOWNORMAL));
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(path));
    EXPECT_FALSE(QFile::exists(folder.path() + "/x"));
}

TEST_F(QtShellTest, NotepadRefusesAMissingFileOrAFolder) {
    EXPECT_FALSE(shell.execute("notepad.exe " + folder.path() + "/missing.txt", 1));
    EXPECT_FALSE(shell.execute("notepad.exe " + folder.path(), 1));
    EXPECT_FALSE(shell.execute("notepad.exe ", 1));
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(QtShellTest, ExplorerOpensAWebAddressUnchanged) {
    EXPECT_TRUE(shell.execute("explorer http://127.0.0.1:8080/a b?x=1;y=$(z)", 4));
    EXPECT_TRUE(shell.execute("EXPLORER https://localhost/", 4));
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(opener.opened[0].host(), "127.0.0.1");
    EXPECT_EQ(opener.opened[0].port(), 8080);
    EXPECT_EQ(opener.opened[0].path(), "/a b");
    EXPECT_EQ(opener.opened[0].query(), "x=1;y=$(z)");
    EXPECT_EQ(opener.opened[1], QUrl("https://localhost/"));
}

TEST_F(QtShellTest, ExplorerRefusesAnythingButAWebAddress) {
    const QString file = makeFile("run.sh");
    EXPECT_FALSE(shell.execute("explorer " + file, 4));
    EXPECT_FALSE(shell.execute("explorer file://" + file, 4));
    EXPECT_FALSE(shell.execute("explorer ftp://127.0.0.1/", 4));
    EXPECT_FALSE(shell.execute("explorer http://", 4));
    EXPECT_FALSE(shell.execute("explorer ", 4));
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(QtShellTest, UnknownProgramsAndLinesWithoutAnArgumentAreRefused) {
    const QString path = makeFile("help.txt");
    EXPECT_FALSE(shell.execute("sh -c " + path, 1));
    EXPECT_FALSE(shell.execute("notepad.exe", 1));
    EXPECT_FALSE(shell.execute(" notepad.exe " + path, 1));
    EXPECT_FALSE(shell.execute("", 1));
    EXPECT_TRUE(opener.opened.isEmpty());
}

} // namespace
