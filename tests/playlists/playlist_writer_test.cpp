// Titles read from the four formats that carry them, and the writer's files read back.
#include "playlists/playlist.h"
#include "playlists/playlist_writer.h"

#include <gtest/gtest.h>

using namespace playlists;

namespace {

QStringList described(const Read& read) {
    QStringList out;
    for (const Entry& e : read.entries)
        out << e.title + " | " + e.url.toString();
    return out;
}

TEST(PlaylistTitles, EachFormatNamesItsEntriesAndCountsThoseWithoutAnAddress) {
    const QUrl local = QUrl::fromLocalFile("/tmp/list");
    EXPECT_EQ(described(readPlaylist("[playlist]\nTitle2=Two\nFile2=http://b/2\nFile1=http://a/1\n"
                                     "Title1= One \nTitle3=No address\nNumberOfEntries=3\n",
                                     "", local)),
              QStringList({"One | http://a/1", "Two | http://b/2"}));
    EXPECT_EQ(readPlaylist("[playlist]\nTitle1=x\nFile2=gopher://b/\n", "", local).refused, 2);

    const Read m3u = readPlaylist("#EXTM3U\n#EXTINF:-1 tvg-name=\"a,b\",Jazz, Live\nhttp://a/1\n"
                                  "#EXTINF:-1,Lost\n#EXTINF:120,Plain\nhttp://b/2\nhttp://c/3\n"
                                  "#EXTINF:-1,Last without address\n",
                                  "", local);
    EXPECT_EQ(described(m3u),
              QStringList({"Jazz, Live | http://a/1", "Plain | http://b/2", " | http://c/3"}));
    EXPECT_EQ(m3u.refused, 2);

    const Read xspf = readPlaylist(
        "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">"
        "<title>The list itself</title><trackList>"
        "<track><title>R&amp;B</title><location>http://a/1</location></track>"
        "<track><location><![CDATA[http://b/2]]></location><TITLE><![CDATA[After]]></TITLE>"
        "</track><track><title>Nowhere</title></track></trackList></playlist>",
        "", local);
    EXPECT_EQ(described(xspf), QStringList({"R&B | http://a/1", "After | http://b/2"}));
    EXPECT_EQ(xspf.refused, 1);

    // An ASX entry's title, in any case and anywhere in the entry, names each of its refs;
    // the list's own title and a ref outside any entry name nothing. An unclosed <title>
    // or a broken <entry> tag loses no address; a tag inside a ref's address is no tag.
    const QByteArray huge(3 * maxEntryLength, 'n');
    const Read asx = readPlaylist(
        "<ASX version=\"3.0\"><TITLE>The list itself</TITLE><Entry><Ref href=\"http://a/1\"/>"
        "<Title> Rock &amp; &lt;Roll&gt; </Title><REF HREF='http://a/2'/></Entry>"
        "<entry><ref href=\"http://b/3\"/></entry><entryref href=\"http://c/4\"/>"
        "<entry><title>Unclosed<ref href=\"http://d/5\"/></entry><entry <ref href=\"http://e/6\"/>"
        "<ENTRY><TITLE>" +
            huge +
            "</TITLE><REF HREF=\"http://f/7\"/></ENTRY>"
            "<entry><title>No ref</title></entry><entry/><entry><ref href='http://g/8<title>x'/>"
            "<title>In the entry</title><ref href=\"http://g/9\"/></entry></asx>",
        "", local);
    EXPECT_EQ(
        described(asx),
        QStringList({"Rock & <Roll> | http://a/1", "Rock & <Roll> | http://a/2", " | http://b/3",
                     " | http://c/4", "Unclosed | http://d/5", " | http://e/6",
                     QString(maxEntryLength, 'n') + " | http://f/7", "In the entry | http://g/9"}));
    EXPECT_EQ(asx.refused, 3);
}

TEST(PlaylistWriter, BothFormatsReadBackAndNoNameOrAddressCanAddALine) {
    const std::vector<Station> stations = {
        {"Jazz FM", "http://127.0.0.1:8000/jazz"},
        {"Two\nlines\r\nFile9=http://evil/\u2028#EXTINF:-1,x", "https://127.0.0.1/b?x=1&y=2"},
        {"", "http://127.0.0.1/c\nhttp://evil/"},
        {QString::fromUtf8("Caf\u00e9 \u65e5\u672c, \"quoted\""), "http://127.0.0.1/d"},
    };
    for (const Format format : {Format::M3u, Format::Pls}) {
        const Read read = readPlaylist(writePlaylist(format, stations), "", QUrl());
        EXPECT_EQ(described(read),
                  QStringList({"Jazz FM | http://127.0.0.1:8000/jazz",
                               "Two lines  File9=http://evil/ #EXTINF:-1,x | "
                               "https://127.0.0.1/b?x=1&y=2",
                               QString::fromUtf8("Caf\u00e9 \u65e5\u672c, \"quoted\" | "
                                                 "http://127.0.0.1/d")}))
            << int(format);
        // The address with a line break in it stays one (unusable) entry.
        EXPECT_EQ(read.refused, 1) << int(format);
    }
    EXPECT_EQ(formatFromFileName("/x/Radio.PLS"), Format::Pls);
    EXPECT_EQ(formatFromFileName("a.m3u8"), Format::M3u);
    EXPECT_EQ(formatFromFileName("a.txt"), std::nullopt);
}

} // namespace
