// The favourites editor's Import… and Export…: playlists written and read back, the
// formats that carry names, bad files and addresses that leave the fields as they were,
// and an import from a loopback web server through the korvant_playlists module.
#include "directory_server.h"
#include "fake_playlist_chooser.h"
#include "fakes.h"
#include "wait.h"

#include "favourites/favourites_editor.h"
#include "favourites/playlist_chooser.h"
#include "favourites/playlist_transfer.h"
#include "playlists/playlist.h"
#include "playlists/playlist_fetcher_loader.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using favourites::Slots;
using testsupport::waitFor;

class PlaylistTransferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    // Ten slots that a playlist carries unchanged: commas, quotes, '&' and other scripts.
    static Slots tenStations() {
        Slots s;
        for (int i = 0; i < favourites::kSlots; ++i)
            s[i] = {QString::fromUtf8("Station %1, \"Caf\u00e9\" & \u65e5\u672c").arg(i),
                    QStringLiteral("http://127.0.0.1:8000/live%1?a=1&b=2").arg(i)};
        s[3].name.clear();
        s[9].url = QStringLiteral("https://127.0.0.1/ten.mp3");
        return s;
    }
    void fill(const Slots& s) {
        for (int i = 0; i < favourites::kSlots; ++i)
            editor.fillSlot(i, s[i].name, s[i].url);
    }
    QString lastMessage() const {
        return messages.shown.empty() ? QString() : messages.shown.back().prompt;
    }
    void importFile(const QString& path) {
        chooser.importFile = path;
        editor.mnuImportFile->trigger();
    }

    QTemporaryDir dir;
    favourites::FavouritesEditor editor;
    fakes::FakeMessageBox messages;
    testsupport::FakePlaylistChooser chooser;
    favourites::PlaylistTransfer transfer{
        editor, chooser, messages,
        playlists::fetcherFromModule(QStringLiteral("KorvantLite/1.0.0"), KORVANT_MODULE_DIR)};
};

TEST_F(PlaylistTransferTest, ExportThenImportGivesBackTheSameTenSlotsInBothFormats) {
    for (const auto& [name, format] :
         {std::pair{"favs.m3u", playlists::Format::M3u}, {"favs.pls", playlists::Format::Pls}}) {
        fill(tenStations());
        chooser.exportTarget = {{dir.filePath(name), format}};
        editor.cmdExport->click();
        ASSERT_TRUE(messages.shown.empty()) << lastMessage().toStdString();
        fill({});
        importFile(dir.filePath(name));
        EXPECT_EQ(editor.stations(), tenStations()) << name;
        EXPECT_TRUE(lastMessage().contains("Nothing is saved until you press Save List"));
        messages.shown.clear();
    }

    // Only favourites with an address are written; their slots close up on the way back.
    Slots some{};
    some[2] = {"Has an address", "http://127.0.0.1/a"};
    some[5] = {"No address", "  "};
    some[7] = {"", "http://127.0.0.1/b"};
    fill(some);
    chooser.exportTarget = {{dir.filePath("some.m3u"), playlists::Format::M3u}};
    editor.cmdExport->click();
    fill(tenStations());
    importFile(dir.filePath("some.m3u"));
    Slots expected{};
    expected[0] = some[2];
    expected[1] = some[7];
    EXPECT_EQ(editor.stations(), expected);
    EXPECT_TRUE(lastMessage().contains("Favorites 3 to 10 are now empty"))
        << lastMessage().toStdString();
}

TEST_F(PlaylistTransferTest, XspfAndM3u8ImportsBringTheirNamesAndTakeOnlyTheFirstTen) {
    importFile(write("list.xspf",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
                     "xmlns=\"http://xspf.org/ns/0/\"><title>Mine</title><trackList>\n"
                     "<track><location>http://127.0.0.1/one</location><title>One &amp; "
                     "Only</title></track>\n<track><location>http://127.0.0.1/two</location>"
                     "</track>\n</trackList></playlist>\n"));
    EXPECT_EQ(editor.txtStaname[0]->text(), "One & Only");
    EXPECT_EQ(editor.txtStaurl[1]->text(), "http://127.0.0.1/two");
    EXPECT_EQ(editor.txtStaname[1]->text(), "");

    // An M3U8 without its #EXTM3U line is known by its name, so that its entries may be
    // relative to it; names are UTF-8 and cleaned.
    QByteArray m3u8;
    for (int i = 0; i < 12; ++i)
        m3u8 +=
            "#EXTINF:-1,\xe6\x97\xa5\xe6\x9c\xac " + QByteArray::number(i) + "\xe2\x80\xae\x07\n" +
            (i == 0 ? QByteArray("s0.mp3") : "http://127.0.0.1/s" + QByteArray::number(i)) + "\n";
    importFile(write("list.m3u8", m3u8));
    EXPECT_EQ(editor.txtStaurl[0]->text(), QUrl::fromLocalFile(dir.filePath("s0.mp3")).toString());
    EXPECT_EQ(editor.txtStaname[9]->text(), QString::fromUtf8("\u65e5\u672c 9"));
    EXPECT_EQ(editor.txtStaurl[9]->text(), "http://127.0.0.1/s9");
    EXPECT_TRUE(lastMessage().contains("more than ten")) << lastMessage().toStdString();
}

TEST_F(PlaylistTransferTest, BadFilesAreExplainedAndLeaveTheFieldsAsTheyWere) {
    QByteArray binary("ID3\x03\0\0\0\0\x0f\x76", 10);
    binary += QByteArray(5000, '\x01');
    const std::vector<std::pair<QString, QString>> cases = {
        {write("huge.m3u", "#EXTM3U\n" + QByteArray(300 * 1024, 'x')), "larger than a playlist"},
        {write("song.m3u", binary), "binary data"},
        {write("notes.pls", "Remember to buy milk.\nhttp is a protocol\n"), "lists no stations"},
        {write("empty.m3u", "  \n"), "it is empty"},
        {write("names.m3u", "#EXTM3U\n#EXTINF:-1,Only a name\n"), "no stream address"},
        {write("names.pls", "[playlist]\nTitle1=x\nFile2=javascript:alert(1)\n"),
         "no stream address"},
        {dir.path(), "folder"},
        {dir.filePath("missing.m3u"), "There is no playlist file"},
    };
    fill(tenStations());
    for (const auto& [path, reason] : cases) {
        messages.shown.clear();
        importFile(path);
        EXPECT_EQ(editor.stations(), tenStations()) << path.toStdString();
        ASSERT_EQ(messages.shown.size(), 1u) << path.toStdString();
        EXPECT_TRUE(lastMessage().contains(reason)) << lastMessage().toStdString();
        EXPECT_TRUE(lastMessage().contains("The favorites are as they were"));
    }

    // Nothing to export asks for no file; a file that cannot be written says why.
    fill({});
    chooser.asked = 0;
    editor.cmdExport->click();
    EXPECT_EQ(chooser.asked, 0);
    EXPECT_TRUE(lastMessage().contains("nothing to export"));
    fill(tenStations());
    chooser.exportTarget = {{dir.path(), playlists::Format::Pls}};
    editor.cmdExport->click();
    EXPECT_TRUE(lastMessage().contains("could not be written")) << lastMessage().toStdString();
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST_F(PlaylistTransferTest, AnAddressIsFetchedThroughTheModuleAndItsFailuresSaid) {
    testsupport::DirectoryServer server;
    server.handler = [](const testsupport::DirectoryServer::Request& r) {
        testsupport::DirectoryServer::Reply reply;
        if (r.path == "/list.pls")
            reply.body = "[playlist]\nFile1=http://127.0.0.1/a\nTitle1=From the web\n";
        else if (r.path == "/huge.m3u")
            reply.endlessBytes = 400 * 1024;
        else
            reply.status = 404;
        return reply;
    };
    const auto importAddress = [&](const QString& address) {
        messages.shown.clear();
        chooser.importAddress = address;
        editor.mnuImportAddress->trigger();
        return waitFor([&] { return !transfer.isFetching(); }, 30000);
    };

    fill(tenStations());
    for (const QString path : {"/missing.m3u", "/huge.m3u"}) {
        ASSERT_TRUE(importAddress(server.base() + path));
        EXPECT_EQ(editor.stations(), tenStations());
        EXPECT_TRUE(lastMessage().contains(path == "/huge.m3u" ? "larger than a playlist"
                                                               : "HTTP error 404"))
            << lastMessage().toStdString();
    }
    const qsizetype asked = server.requests.size();
    for (const QString address : {"ftp://127.0.0.1/list.pls", "radio.example/list.pls"}) {
        ASSERT_TRUE(importAddress(address));
        EXPECT_TRUE(lastMessage().contains("not a web address")) << lastMessage().toStdString();
    }
    EXPECT_EQ(server.requests.size(), asked);
    EXPECT_EQ(editor.stations(), tenStations());

    ASSERT_TRUE(importAddress(server.base() + "/list.pls"));
    Slots expected{};
    expected[0] = {"From the web", "http://127.0.0.1/a"};
    EXPECT_EQ(editor.stations(), expected) << lastMessage().toStdString();
    EXPECT_TRUE(editor.cmdImport->isEnabled());
}

// The file dialog shows, under its first filter, a playlist of every kind the import reads
// (the reader's endings and M3U8) and offers no ending that it does not read.
TEST(ImportFileDialog, OffersEveryKindOfPlaylistTheImportReads) {
    const QString filter = favourites::importFileFilter();
    const QStringList patterns = filter.section(QStringLiteral(";;"), 0, 0)
                                     .section('(', 1)
                                     .section(')', 0, 0)
                                     .split(' ', Qt::SkipEmptyParts);
    const auto offered = [&](const QString& name) {
        return std::any_of(patterns.begin(), patterns.end(), [&](const QString& pattern) {
            return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                .match(name)
                .hasMatch();
        });
    };
    for (const QString name : {"a.m3u", "a.m3u8", "a.pls", "a.xspf", "a.asx", "a.wax", "a.wvx"})
        EXPECT_TRUE(offered(name)) << name.toStdString() << " in " << filter.toStdString();
    ASSERT_FALSE(patterns.isEmpty()) << filter.toStdString();
    for (const QString& pattern : patterns) {
        const QString name = "/x/list" + pattern.mid(1);
        EXPECT_TRUE(name.endsWith(".m3u8") ||
                    playlists::kindFromName(QUrl::fromLocalFile(name)) != playlists::Kind::None)
            << pattern.toStdString();
    }
    EXPECT_TRUE(filter.endsWith(";;All files (*)")) << filter.toStdString();
}

} // namespace
