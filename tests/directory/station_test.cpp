// Reading the directory's answers: realistic records, records of the wrong shape, answers
// that are not JSON, far too many results, and text that must reach the screen as plain,
// bounded text.
#include "directory/station.h"
#include "directory_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

using namespace directory;

namespace {

QByteArray fixture() {
    QFile f(QStringLiteral(KORVANT_DIRECTORY_FIXTURES "/search_answer.json"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<Station> read(const QByteArray& body, bool* more = nullptr, QString* error = nullptr) {
    bool m = false;
    QString e;
    QList<Station> s = readStations(body, more ? more : &m, error ? error : &e);
    return s;
}

} // namespace

TEST(DirectoryAnswer, RealisticRecordsGiveNameCountryCodecTagsVotesAndTheResolvedAddress) {
    bool more = true;
    QString error = "x";
    const QList<Station> s = read(fixture(), &more, &error);
    ASSERT_EQ(s.size(), 3) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(more);
    EXPECT_EQ(s[0].uuid, "96062a7b-0601-11e8-ae97-52543be04c81");
    EXPECT_EQ(s[0].name, "Jazz Lounge Berlin");
    EXPECT_EQ(s[0].address, "http://127.0.0.1:1/jazz.mp3"); // url_resolved, not the playlist
    EXPECT_EQ(s[0].country, "Germany");
    EXPECT_EQ(s[0].codec, "MP3");
    EXPECT_EQ(s[0].bitrate, 128);
    EXPECT_EQ(s[0].tags, "jazz,lounge,smooth jazz");
    EXPECT_EQ(s[0].votes, 4512);
    EXPECT_TRUE(s[0].playable());
}

TEST(DirectoryAnswer, EmptyResolvedAddressFallsBackToTheUrlAndOtherSchemesAreNotPlayable) {
    const QList<Station> s = read(fixture());
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(s[1].address, "https://127.0.0.1:2/nord");
    EXPECT_EQ(s[1].country, "NO"); // the code when the name is missing
    EXPECT_EQ(s[1].votes, 87);     // a number sent as a string
    EXPECT_TRUE(s[2].address.isEmpty()) << s[2].address.toStdString();
    EXPECT_FALSE(s[2].playable());
    for (const char* bad :
         {"javascript:alert(1)", "file:///etc/passwd", "rtsp://h/x", "http://", "http:///x",
          "http://h/a b", "http://h/\"q\",x", "/relative/path", "http://h/\x01"})
        EXPECT_TRUE(usableAddress(QString::fromLatin1(bad)).isEmpty()) << bad;
    EXPECT_TRUE(usableAddress("http://h/" + QString(3000, 'a')).isEmpty());
    EXPECT_EQ(usableAddress(" https://radio.example/live?a=1,2 "),
              "https://radio.example/live?a=1,2");
}

TEST(DirectoryAnswer, WrongTypesAndMissingFieldsAreToleratedRecordByRecord) {
    const QList<Station> s = read(R"([
        {"name": 42, "url_resolved": ["http://x/"], "votes": "many", "bitrate": -5,
         "tags": {"a": 1}, "country": null},
        "not a record", 17, null, [],
        {},
        {"name": "Last", "url": "http://127.0.0.1:3/last", "votes": 1e300, "bitrate": 1e300}
    ])");
    ASSERT_EQ(s.size(), 3);
    EXPECT_TRUE(s[0].name.isEmpty());
    EXPECT_FALSE(s[0].playable());
    EXPECT_EQ(s[0].votes, 0);
    EXPECT_EQ(s[0].bitrate, 0);
    EXPECT_TRUE(s[0].tags.isEmpty());
    EXPECT_FALSE(s[1].playable());
    EXPECT_EQ(s[2].name, "Last");
    EXPECT_TRUE(s[2].playable());
    EXPECT_EQ(s[2].votes, 1000000000);
    EXPECT_EQ(s[2].bitrate, 100000);
}

TEST(DirectoryAnswer, AnswersThatAreNotAListOfStationsGiveAReasonAndNothingToShow) {
    const QByteArray whole = fixture();
    for (const QByteArray& body :
         {QByteArray(), QByteArray("<html>502 Bad Gateway</html>"), whole.left(whole.size() / 2),
          QByteArray("{\"stations\": []}"), QByteArray("\"just text\""),
          QByteArray("[{\"name\":\"a\"}]garbage"), QByteArray(100000, '['),
          QByteArray("\xff\xfe[\x00]", 5)}) {
        bool more = true;
        QString error;
        const QList<Station> s = readStations(body, &more, &error);
        EXPECT_TRUE(s.isEmpty()) << body.left(40).toStdString();
        EXPECT_FALSE(more);
        EXPECT_FALSE(error.isEmpty()) << body.left(40).toStdString();
    }
    QString error = "x";
    bool more = true;
    EXPECT_TRUE(readStations("[]", &more, &error).isEmpty());
    EXPECT_TRUE(error.isEmpty()) << "an empty list is an answer, not a failure";
}

TEST(DirectoryAnswer, OneHundredThousandResultsKeepOnePageAndSayThereAreMore) {
    // As many records as fit in the client's 4 MiB cap.
    QByteArray body = "[";
    for (int i = 0; i < 100000; ++i)
        body += "{\"name\":\"R" + QByteArray::number(i) + "\",\"url\":\"http://h/\"},";
    body += "{}]";
    ASSERT_LT(body.size(), 4 * 1024 * 1024);
    QElapsedTimer clock;
    clock.start();
    bool more = false;
    QString error;
    const QList<Station> s = readStations(body, &more, &error);
    EXPECT_EQ(s.size(), kPageSize) << error.toStdString();
    EXPECT_TRUE(more);
    EXPECT_EQ(s.last().name, "R99");
    EXPECT_TRUE(s.last().playable());
    // About a quarter of a second here; generous for a busy machine.
    EXPECT_LT(clock.elapsed(), 20000);
}

TEST(DirectoryAnswer, NamesLoseControlsAndDirectionOverridesKeepMarkupAsTextAndAreCut) {
    const QList<Station> s = read(fixture());
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(s[1].name, "<b>Radio</b> &amp; FM Nord");
    // Direction marks stay (they only place neighbouring punctuation); overrides go.
    EXPECT_EQ(cleanRemoteText(QStringLiteral("  A\tB\r\n\x1b[31mC\u200f\u2066D\u2069  "), 50),
              QStringLiteral("A B [31mC\u200fD"));
    EXPECT_EQ(cleanRemoteText(QString(500, 'n'), 10), QString(9, 'n') + QChar(0x2026));
    // A character outside the basic plane is kept whole, never split in half.
    const QString emoji = QString::fromUcs4(U"\U0001F3B5");
    EXPECT_EQ(cleanRemoteText(emoji + emoji, 1), QString(QChar(0x2026)));
    EXPECT_EQ(cleanRemoteText(emoji + "x", 5), emoji + "x");
    // A lone surrogate is dropped, not shown as a broken character.
    EXPECT_EQ(cleanRemoteText(QString(QChar(0xD800)) + "ok", 5), "ok");
    const QString huge(1 << 20, QChar('x'));
    EXPECT_EQ(cleanRemoteText(huge, kMaxNameLength).size(), kMaxNameLength);
}

TEST(DirectorySearchRequest, AlwaysHasPopularityOrderHideBrokenLimitAndOffsetAndOnlyFiltersGiven) {
    SearchQuery q;
    q.name = "  Jazz & Blues #1 ";
    q.codec = "AAC+";
    q.offset = 200;
    const QUrlQuery p = searchParameters(q);
    EXPECT_EQ(p.queryItemValue("name"), "Jazz & Blues #1");
    EXPECT_EQ(p.queryItemValue("codec"), "AAC+");
    EXPECT_FALSE(p.hasQueryItem("tag"));
    EXPECT_FALSE(p.hasQueryItem("country"));
    EXPECT_FALSE(p.hasQueryItem("language"));
    EXPECT_EQ(p.queryItemValue("order"), "votes");
    EXPECT_EQ(p.queryItemValue("reverse"), "true");
    EXPECT_EQ(p.queryItemValue("hidebroken"), "true");
    EXPECT_EQ(p.queryItemValue("offset"), "200");
    EXPECT_EQ(p.queryItemValue("limit"), QString::number(kPageSize + 1));
}
