// Launch requests built from hostile text: a program folder or a link address full of
// blanks, quotes, ';', '$()', backticks and leading dashes reaches the desktop's opener as
// one whole address, and nothing in it is ever run by a command interpreter.
#include "hostile_launch.h"

#include "recording_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using faults::HostileLaunch;
using faults::kHostileAddress;

using Opener = fakes::RecordingOpener;

class HostileLaunchToHandlers : public HostileLaunch {
protected:
    void SetUp() override {
        HostileLaunch::SetUp();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, &opener, "open");
    }
    void TearDown() override {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
        HostileLaunch::TearDown();
    }
    Opener opener;
};

TEST_F(HostileLaunchToHandlers, AProgramFolderFullOfShellSyntaxIsOpenedAsExactlyThatFile) {
    const QString path = makeProgramFile();
    ASSERT_TRUE(shell.execute("notepad.exe " + path, platform::SW_SHOWNORMAL));
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_TRUE(opener.opened[0].isLocalFile());
    EXPECT_EQ(opener.opened[0].toLocalFile(), path);
    expectNoMarkers();
}

TEST_F(HostileLaunchToHandlers, ALinkAddressFullOfShellSyntaxIsDeliveredWhole) {
    ASSERT_TRUE(shell.execute("explorer " + kHostileAddress, platform::SW_SHOWNOACTIVATE));
    ASSERT_EQ(opener.opened.size(), 1);
    const QUrl& url = opener.opened[0];
    EXPECT_EQ(url.scheme(), "http");
    EXPECT_EQ(url.host(), "127.0.0.1");
    EXPECT_EQ(url.port(), 8080);
    EXPECT_EQ(url.path(QUrl::FullyDecoded), "/a b/'q'\"d\";$(touch pwned4)`touch pwned5`");
    EXPECT_EQ(url.query(QUrl::FullyDecoded), "x=1;y=$(touch pwned6)&z=`id`");
    EXPECT_EQ(url.fragment(), "top");
    expectNoMarkers();
}

TEST_F(HostileLaunchToHandlers, ArgumentsThatLookLikeOptionsOrSecondCommandsAreNotPassedOn) {
    QFile dashed(scratch.filePath("--help"));
    ASSERT_TRUE(dashed.open(QIODevice::WriteOnly));
    dashed.close();
    // A file named like an option still goes out as an absolute file address.
    ASSERT_TRUE(shell.execute("notepad.exe --help", 1));
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened[0].toLocalFile(), scratch.filePath("--help"));

    // Options in front of an address, or a second command after a missing file, are no
    // address or file at all.
    EXPECT_FALSE(shell.execute("explorer --new-window http://127.0.0.1/", 4));
    EXPECT_FALSE(shell.execute("explorer -e http://127.0.0.1/;touch pwned1", 4));
    EXPECT_FALSE(shell.execute("notepad.exe missing.txt; touch pwned2", 1));
    EXPECT_FALSE(shell.execute("notepad.exe $(touch pwned3)", 1));
    EXPECT_FALSE(shell.execute("explorer `touch pwned4`", 4));
    // A second command after an address is part of that one address.
    ASSERT_TRUE(shell.execute("explorer http://127.0.0.1/ ; touch pwned5", 4));
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(opener.opened[1].host(), "127.0.0.1");
    EXPECT_EQ(opener.opened[1].path(QUrl::FullyDecoded), "/ ; touch pwned5");
    expectNoMarkers();
}

} // namespace
