// The playlist readers and address rules take untrusted text from users and servers.
#include "playlists/playlist.h"

#include <gtest/gtest.h>

using namespace playlists;

namespace {

const QUrl remote("http://127.0.0.1:8000/lists/radio.pls");

QStringList urls(const std::vector<QUrl>& v) {
    QStringList out;
    for (const QUrl& u : v)
        out << u.toString();
    return out;
}

TEST(PlaylistParsing, PlsEntriesComeInTheOrderOfTheirNumbers) {
    const QByteArray body = "[playlist]\r\nNumberOfEntries=3\r\nFile2=http://b.example/2\r\n"
                            "Title2=Two\r\nfile1 = http://a.example/1 \r\nFILE10=http://c/10\r\n"
                            "Length1=-1\r\nVersion=2\r\n";
    EXPECT_EQ(urls(parsePlaylist(body, "audio/x-scpls", remote)),
              QStringList({"http://a.example/1", "http://b.example/2", "http://c/10"}));
}

TEST(PlaylistParsing, M3uSkipsCommentsAndResolvesRelativeEntries) {
    const QByteArray body = "\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1,Station\nhttp://a.example:8000/live\n"
                            "\n  ../other/stream.mp3  \n#comment\nicy://b.example/x\n";
    EXPECT_EQ(urls(parsePlaylist(body, "audio/x-mpegurl", remote)),
              QStringList({"http://a.example:8000/live", "http://127.0.0.1:8000/other/stream.mp3",
                           "http://b.example/x"}));
}

TEST(PlaylistParsing, AsxReadsRefAndEntryrefInAnyCaseWithEntities) {
    const QByteArray body =
        "<ASX version=\"3.0\"><Entry><Title>x</Title><REF HREF=\"http://a.example/1?x=1&amp;y=2\"/>"
        "</Entry><entry><ref href='mms://b.example/2' /></entry>"
        "<ENTRYREF href=\"http://c.example/list.asx\"/></ASX>";
    EXPECT_EQ(urls(parsePlaylist(body, "video/x-ms-asf", remote)),
              QStringList({"http://a.example/1?x=1&y=2", "mms://b.example/2",
                           "http://c.example/list.asx"}));
}

TEST(PlaylistParsing, XspfReadsTrackLocations) {
    const QByteArray body = "<?xml version=\"1.0\"?><playlist version=\"1\" "
                            "xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                            "<track><location>http://a.example/1</location></track>"
                            "<track><location><![CDATA[http://b.example/2]]></location></track>"
                            "</trackList></playlist>";
    EXPECT_EQ(urls(parsePlaylist(body, "", QUrl("http://127.0.0.1/x"))),
              QStringList({"http://a.example/1", "http://b.example/2"}));
}

TEST(PlaylistParsing, KindComesFromContentTypeThenBodyThenName) {
    EXPECT_EQ(kindFromContentType("audio/x-scpls; charset=utf-8"), Kind::Pls);
    EXPECT_EQ(kindFromContentType("Audio/X-MpegURL"), Kind::M3u);
    EXPECT_EQ(kindFromContentType("audio/mpeg"), Kind::None);
    EXPECT_EQ(kindFromContent("  [Playlist]\nFile1=x"), Kind::Pls);
    EXPECT_EQ(kindFromContent("<?xml version='1.0'?>\n<asx version='3.0'>"), Kind::Asx);
    EXPECT_EQ(kindFromName(QUrl("http://h/a/Radio.PLS?x=1")), Kind::Pls);
    EXPECT_EQ(kindFromName(QUrl("http://h/a/live.m3u8")), Kind::None);
    EXPECT_EQ(kindFromName(QUrl("http://h/m3u/stream")), Kind::None);
    // A body in another format than its name says is read by what it is.
    EXPECT_EQ(
        urls(parsePlaylist("[playlist]\nFile1=http://a/1\n", "text/plain", QUrl("http://h/x.m3u"))),
        QStringList({"http://a/1"}));
}

TEST(PlaylistParsing, UnknownBodiesCountOnlyWhenEveryLineIsAnAddress) {
    EXPECT_EQ(urls(parsePlaylist("http://a.example/1\r\nhttp://b.example/2\r\n", "text/plain",
                                 QUrl("http://h/listen"))),
              QStringList({"http://a.example/1", "http://b.example/2"}));
    EXPECT_TRUE(parsePlaylist("Welcome to our radio\nhttp://a.example/1\n", "text/plain",
                              QUrl("http://h/listen"))
                    .empty());
    EXPECT_TRUE(
        parsePlaylist("<html>\nhttp://a.example/1\n</html>", "text/html", QUrl("http://h/x.m3u"))
            .empty());
}

TEST(PlaylistParsing, RemotePlaylistsCannotNameLocalFilesButLocalOnesCan) {
    const QByteArray body = "file:///etc/passwd\n/etc/shadow\nhttp://a.example/1\n";
    EXPECT_EQ(urls(parsePlaylist(body, "audio/x-mpegurl", remote)),
              QStringList({"http://127.0.0.1:8000/etc/shadow", "http://a.example/1"}));
    EXPECT_EQ(urls(parsePlaylist("file:///music/a.ogg\nb.ogg\n", "",
                                 QUrl::fromLocalFile("/music/list.m3u"))),
              QStringList({"file:///music/a.ogg", "file:///music/b.ogg"}));
    EXPECT_TRUE(parsePlaylist("javascript:alert(1)\ndata:text/plain,x\n", "audio/x-mpegurl", remote)
                    .empty());
}

TEST(PlaylistParsing, GarbageNulBytesAndHugeInputYieldNothingOrOnlyTheSoundEntries) {
    QByteArray nul("[playlist]\nFile1=http://a.example/1\0\nFile2=\0\0\0\n", 43);
    EXPECT_EQ(urls(parsePlaylist(nul, "audio/x-scpls", remote)),
              QStringList({"http://a.example/1"}));

    QByteArray huge =
        "#EXTM3U\nhttp://a.example/" + QByteArray(5 * 1024 * 1024, 'x') + "\nhttp://b.example/2\n";
    EXPECT_EQ(urls(parsePlaylist(huge, "audio/x-mpegurl", remote)), QStringList());

    QByteArray many = "#EXTM3U\n";
    for (int i = 0; i < 1000; ++i)
        many += "http://a.example/" + QByteArray::number(i) + "\n";
    EXPECT_EQ(parsePlaylist(many, "audio/x-mpegurl", remote).size(), maxEntries);

    QByteArray noise(70000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 256);
    for (const char* type : {"audio/x-scpls", "audio/x-mpegurl", "video/x-ms-asf",
                             "application/xspf+xml", "", "text/plain"})
        EXPECT_TRUE(parsePlaylist(noise, type, remote).empty()) << type;
    EXPECT_TRUE(
        parsePlaylist("<asx><ref href=\"" + QByteArray(100000, 'a'), "video/x-ms-asf", remote)
            .empty());
}

TEST(PlaylistParsing, HlsIsRecognisedSoThatThePipelinePlaysIt) {
    EXPECT_TRUE(isHls("#EXTM3U\n#EXT-X-TARGETDURATION:10\nseg1.ts\n"));
    EXPECT_TRUE(isHls("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000\nlow.m3u8\n"));
    EXPECT_FALSE(isHls("#EXTM3U\n#EXTINF:-1,x\nhttp://a/1\n"));
}

TEST(StreamAddress, NetworkAddressesAndLocalPathsAreAccepted) {
    EXPECT_EQ(resolveAddress("http://127.0.0.1:8000/live.mp3").url,
              QUrl("http://127.0.0.1:8000/live.mp3"));
    EXPECT_EQ(resolveAddress("  https://radio.example/a  ").url, QUrl("https://radio.example/a"));
    EXPECT_EQ(resolveAddress("icy://radio.example:8000/").url, QUrl("http://radio.example:8000/"));
    EXPECT_EQ(resolveAddress("/home/u/a b.mp3").url, QUrl::fromLocalFile("/home/u/a b.mp3"));
    EXPECT_EQ(resolveAddress("file:///home/u/a.ogg").url, QUrl("file:///home/u/a.ogg"));
    EXPECT_TRUE(resolveAddress("rtsp://127.0.0.1/x").error.isEmpty());
}

TEST(StreamAddress, EmptyBlankAndGarbageTextIsRefusedWithAReason) {
    EXPECT_EQ(resolveAddress("").error, "No address to play");
    EXPECT_EQ(resolveAddress(" \t\r\n").error, "No address to play");
    // A bare word must not become a host name to look up.
    for (const char* text : {"garbage text", "radio.example", "http://", "http:///x",
                             "c:\\music\\a.mp3", "::::", "\x01\x02"})
        EXPECT_FALSE(resolveAddress(text).error.isEmpty()) << text;
    EXPECT_EQ(resolveAddress("gopher://127.0.0.1/x").error, "Unsupported address type \"gopher\"");
    EXPECT_FALSE(resolveAddress("javascript:alert(1)").error.isEmpty());
    EXPECT_FALSE(resolveAddress(QString(100000, 'x')).error.isEmpty());
    // Two leading slashes name a network host, never a local file.
    for (const char* text : {"//127.0.0.1/x.mp3", "//[[[[[[!2b"})
        EXPECT_EQ(resolveAddress(text).error, "Not a valid stream address") << text;
}

} // namespace
