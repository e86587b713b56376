// The recording's parts that need no GStreamer: file names from outside text, where a file
// of each encoding may start, Ogg pages and headers, and the writer fed by hand.
#include "platform/gst/recording_names.h"
#include "platform/gst/recording_writer.h"
#include "platform/gst/stream_framing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

using namespace platform;
using namespace platform::framing;
using platform::recording::candidateName;
using platform::recording::safeStem;
using platform::recording::stationStem;

namespace {

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz, no padding: 417 bytes a frame.
QByteArray mp3Frame(char fill) {
    QByteArray frame(417, fill);
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x64);
    return frame;
}

// ADTS, AAC LC, 44.1 kHz, stereo, no CRC, of the given length.
QByteArray adtsFrame(int length, char fill) {
    QByteArray frame(length, fill);
    const uchar header[7] = {0xFF,
                             0xF1,
                             0x50,
                             uchar(0x80 | ((length >> 11) & 3)),
                             uchar((length >> 3) & 0xFF),
                             uchar(((length & 7) << 5) | 0x1F),
                             0xFC};
    std::memcpy(frame.data(), header, 7);
    return frame;
}

QByteArray oggPage(int flags, qint64 granule, quint32 serial, quint32 sequence,
                   const QByteArray& body) {
    QByteArray page("OggS", 4);
    page += char(0);
    page += char(flags);
    for (int i = 0; i < 8; ++i)
        page += char((quint64(granule) >> (8 * i)) & 0xFF);
    for (quint32 v : {serial, sequence, 0u})
        for (int i = 0; i < 4; ++i)
            page += char((v >> (8 * i)) & 0xFF);
    qsizetype left = body.size();
    QByteArray lacing;
    do {
        const int n = int(std::min<qsizetype>(left, 255));
        lacing += char(n);
        left -= n;
        if (n < 255)
            break;
    } while (true);
    page += char(lacing.size());
    page += lacing + body;
    const quint32 crc = oggCrc(page.constData(), page.size());
    for (int i = 0; i < 4; ++i)
        page[22 + i] = char((crc >> (8 * i)) & 0xFF);
    return page;
}

// A Vorbis-like chain: a first page, two header pages, then audio pages.
struct OggChain {
    QByteArray headers;
    std::vector<QByteArray> audio;
};
OggChain oggChain(quint32 serial, int audioPages, const QByteArray& first = "\x01vorbis",
                  char fill = 'a') {
    OggChain chain;
    chain.headers = oggPage(0x02, 0, serial, 0, first + QByteArray(20, 'i')) +
                    oggPage(0, 0, serial, 1, "\x03vorbis" + QByteArray(40, 'c')) +
                    oggPage(0, 0, serial, 2, "\x05vorbis" + QByteArray(300, 's'));
    for (int i = 0; i < audioPages; ++i)
        chain.audio.push_back(
            oggPage(0, 1024 * (i + 1), serial, 3 + i, QByteArray(200, char(fill + i % 20))));
    return chain;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Writer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    RecordingWriter writer{[this](const RecordingWriter::Event& e) { events.push_back(e); }};
    QTemporaryDir dir;
    std::vector<RecordingWriter::Event> events;
    std::vector<QString> opened() const {
        std::vector<QString> files;
        for (const auto& e : events)
            if (e.kind == RecordingWriter::Event::Kind::FileOpened)
                files.push_back(e.file);
        return files;
    }
    void feed(const QByteArray& data) { writer.consume(data.constData(), data.size()); }
};

} // namespace

TEST(RecordingNames, OutsideTextBecomesOneHarmlessFileNameOfBoundedLength) {
    EXPECT_EQ(safeStem("Radio One"), "Radio One");
    EXPECT_EQ(safeStem("../../etc/passwd"), "-..-etc-passwd");
    EXPECT_EQ(safeStem(".."), "");
    EXPECT_EQ(safeStem("."), "");
    EXPECT_EQ(safeStem(" .hidden. "), "hidden");
    EXPECT_EQ(safeStem("a\\b/c"), "a-b-c");
    EXPECT_EQ(safeStem(QString::fromUtf8("Rock\x01\x1b[31m\xe2\x80\xae\nNews\t")), "Rock[31m News");
    EXPECT_EQ(safeStem("What? <Now>: \"Live\" | *"), "What_ _Now__ _Live_ _ _");
    EXPECT_EQ(safeStem(QString(1, QChar(0xD800)) + "x"), "x"); // a lone surrogate
    EXPECT_EQ(safeStem(QString::fromUtf8("Caf\xc3\xa9 \xf0\x9f\x8e\xb5")),
              QString::fromUtf8("Caf\xc3\xa9 \xf0\x9f\x8e\xb5"));
    // Cut by bytes, never inside a character: 150 two-byte letters and four-byte signs.
    const QString wide = QString::fromUtf8("\xc3\xa9").repeated(150);
    EXPECT_EQ(QFile::encodeName(safeStem(wide)).size(), 200);
    const QString emoji = QString::fromUtf8("\xf0\x9f\x8e\xb5").repeated(100);
    const QString cut = safeStem(emoji);
    EXPECT_EQ(QFile::encodeName(cut).size(), 200);
    EXPECT_TRUE(cut.at(cut.size() - 1).isLowSurrogate());
    EXPECT_EQ(safeStem(QString(500, 'x') + ".", 10), "xxxxxxxxxx");

    const QDateTime start(QDate(2026, 12, 9), QTime(13, 5, 7));
    EXPECT_EQ(stationStem("Jazz/FM", start), "Jazz-FM 2026-12-09 13-05-07");
    EXPECT_EQ(stationStem("\x01..", start), "Recording 2026-12-09 13-05-07");
    EXPECT_LE(QFile::encodeName(stationStem(QString(400, 'y'), start)).size(), 200);
    EXPECT_EQ(candidateName("Song", "mp3", 1), "Song.mp3");
    EXPECT_EQ(candidateName("Song", "mp3", 3), "Song (3).mp3");
}

TEST(StreamFraming, FilesStartAtAFrameHeaderThatTheNextFrameConfirms) {
    EXPECT_EQ(mpegFrameLength(reinterpret_cast<const uchar*>(mp3Frame(0).constData())), 417);
    const QByteArray three = mp3Frame(1) + mp3Frame(2) + mp3Frame(3);
    // A false sync in the junk before the frames is passed over: no frame follows it.
    const QByteArray junk = QByteArray("\x12\xFF\xFB\x90\x64zz", 7);
    FrameSearch s = findFrameStart(Encoding::Mpeg, junk + three);
    ASSERT_TRUE(s.start.has_value());
    EXPECT_EQ(*s.start, junk.size());
    // A header whose follower has not arrived yet is kept for the next try.
    s = findFrameStart(Encoding::Mpeg, junk + mp3Frame(1));
    EXPECT_FALSE(s.start.has_value());
    EXPECT_EQ(s.keepFrom, junk.size());
    s = findFrameStart(Encoding::Mpeg, QByteArray(100, 'x'));
    EXPECT_FALSE(s.start.has_value());
    EXPECT_GT(s.keepFrom, 90);

    const QByteArray aac = adtsFrame(300, 5) + adtsFrame(280, 6);
    s = findFrameStart(Encoding::Adts, QByteArray("\xFF\xF1xx", 4) + aac);
    ASSERT_TRUE(s.start.has_value());
    EXPECT_EQ(*s.start, 4);
    EXPECT_FALSE(findFrameStart(Encoding::Adts, mp3Frame(1) + mp3Frame(2)).start.has_value());
}

TEST(StreamFraming, OggPagesAreFoundByTheirChecksumAndTheChainsHeadersKept) {
    EXPECT_EQ(oggCrc("123456789", 9), 0x89A1897Fu);
    const OggChain chain = oggChain(7, 3);
    QByteArray stream = QByteArray("junkOggS!") + chain.headers;
    for (const QByteArray& p : chain.audio)
        stream += p;
    OggPageReader reader;
    std::vector<OggPage> pages;
    // In pieces of 13 bytes, as a network would hand them over.
    for (qsizetype at = 0; at < stream.size(); at += 13)
        reader.feed(stream.constData() + at, std::min<qsizetype>(13, stream.size() - at), pages);
    ASSERT_EQ(pages.size(), 6u);
    EXPECT_TRUE(pages[0].beginsStream);
    EXPECT_EQ(pages[3].granule, 1024);
    EXPECT_EQ(pages[3].serial, 7u);
    OggHeaders headers;
    std::vector<bool> isHeader;
    for (const OggPage& p : pages)
        isHeader.push_back(headers.see(p));
    EXPECT_EQ(isHeader, (std::vector<bool>{true, true, true, false, false, false}));
    EXPECT_EQ(headers.pages(), chain.headers);
    EXPECT_EQ(headers.extension(), "ogg");
    // A new chain replaces the headers.
    const OggChain opus = oggChain(8, 1, "OpusHead");
    pages.clear();
    reader.feed(opus.headers.constData(), opus.headers.size(), pages);
    for (const OggPage& p : pages)
        headers.see(p);
    EXPECT_EQ(headers.pages(), opus.headers);
    EXPECT_EQ(headers.extension(), "opus");
    // Marking the last page keeps it a valid page.
    const QByteArray last = withEndOfStream(chain.audio[2]);
    pages.clear();
    reader.feed(last.constData(), last.size(), pages);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].endsStream);
}

TEST_F(Writer, Mp3RecordingStartsAtAFrameGoesOnAcrossAReconnectAndNeverOverwrites) {
    QFile taken(dir.filePath("Radio.mp3"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("keep");
    taken.close();
    writer.connectionStarted(Encoding::Mpeg, "mp3");
    feed(mp3Frame(1)); // before the recording: not written
    writer.begin(dir.path(), "Radio");
    const QByteArray frames = mp3Frame(2) + mp3Frame(3) + mp3Frame(4);
    feed(frames.mid(100)); // mid-frame, as a recording started at any moment sees it
    // A reconnect: the new connection starts mid-frame too.
    QByteArray again;
    for (int i = 5; i <= 16; ++i)
        again += mp3Frame(char(i));
    writer.connectionStarted(Encoding::Mpeg, "mp3");
    feed(again.mid(50, 400));
    feed(again.mid(450));
    writer.end();
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_EQ(opened()[0], dir.filePath("Radio (2).mp3"));
    EXPECT_EQ(readAll(dir.filePath("Radio.mp3")), "keep");
    const QByteArray expected = frames.mid(417) + again.mid(417);
    EXPECT_TRUE(readAll(opened()[0]) == expected);
    EXPECT_EQ(writer.bytes(), expected.size());
    feed(frames); // after the end: nothing
    EXPECT_EQ(readAll(opened()[0]).size(), expected.size());
}

TEST_F(Writer, ANewConnectionThatRepeatsWhatTheFileHoldsGoesOnAfterTheRepeat) {
    // A server sends a new listener its last seconds again; the file holds them once.
    QByteArray frames;
    for (int i = 1; i <= 30; ++i)
        frames += mp3Frame(char(i));
    writer.connectionStarted(Encoding::Mpeg, "mp3");
    writer.begin(dir.path(), "Radio");
    feed(frames.left(20 * 417 + 100));
    writer.connectionStarted(Encoding::Mpeg, "mp3");
    feed(frames.mid(8 * 417 + 7, 5000));
    feed(frames.mid(8 * 417 + 5007));
    // One that repeats nothing (a server that started again) is written whole.
    QByteArray other;
    for (int i = 90; i <= 100; ++i)
        other += mp3Frame(char(i));
    writer.connectionStarted(Encoding::Mpeg, "mp3");
    feed(other);
    // The recording ends while a new connection's bytes are too few to decide by the
    // usual measure: what of them is new is still written.
    writer.connectionStarted(Encoding::Mpeg, "mp3");
    feed(mp3Frame(99) + mp3Frame(100) + mp3Frame(101) + mp3Frame(102));
    writer.end();
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_TRUE(readAll(opened()[0]) == frames.left(20 * 417 + 100) + frames.mid(20 * 417 + 100) +
                                            other + mp3Frame(101) + mp3Frame(102));
}

TEST_F(Writer, OggRecordingStartedMidStreamBeginsWithTheHeadersAndEachNewStreamIsAChain) {
    const OggChain chain = oggChain(1, 5);
    writer.connectionStarted(Encoding::Ogg, {});
    feed(chain.headers + chain.audio[0]);
    writer.begin(dir.path(), "Station");
    feed(chain.audio[1].left(30)); // the recording starts inside a page
    feed(chain.audio[1].mid(30) + chain.audio[2]);
    // A reconnect to the same stream, whose server sends pages the file holds again: the
    // chain goes on after them.
    writer.connectionStarted(Encoding::Ogg, {});
    feed(chain.headers + chain.audio[1] + chain.audio[2] + chain.audio[3] + chain.audio[4]);
    const OggChain second = oggChain(2, 2);
    writer.connectionStarted(Encoding::Ogg, {});
    feed(second.headers + second.audio[0] + second.audio[1]);
    // A source that started again with the same serial number, which goes on from its own
    // start: its chain gets a serial number of its own.
    const OggChain third = oggChain(2, 1, "\x01vorbis", 'A');
    writer.connectionStarted(Encoding::Ogg, {});
    feed(third.headers + third.audio[0]);
    writer.end();
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_EQ(opened()[0], dir.filePath("Station.ogg"));
    // The chain before a new stream and the file itself end with a page marked last.
    EXPECT_EQ(readAll(opened()[0]),
              chain.headers + chain.audio[1] + chain.audio[2] + chain.audio[3] +
                  withEndOfStream(chain.audio[4]) + second.headers + second.audio[0] +
                  withEndOfStream(second.audio[1]) + withSerial(third.headers, 2, 3) +
                  withSerial(withEndOfStream(third.audio[0]), 2, 3));
}

TEST_F(Writer, ANewFileForATitleStartsAtTheNextFrameAndNothingIsLostBetween) {
    writer.connectionStarted(Encoding::Mpeg, "mp3");
    writer.begin(dir.path(), "First");
    feed(mp3Frame(1) + mp3Frame(2) + mp3Frame(3).left(100));
    writer.nextFile("Second"); // inside a frame: that frame still belongs to the first file
    feed(mp3Frame(3).mid(100, 200));
    feed(mp3Frame(3).mid(300) + mp3Frame(4) + mp3Frame(5));
    writer.end();
    ASSERT_EQ(opened().size(), 2u);
    EXPECT_EQ(readAll(dir.filePath("First.mp3")), mp3Frame(1) + mp3Frame(2) + mp3Frame(3));
    EXPECT_EQ(readAll(dir.filePath("Second.mp3")), mp3Frame(4) + mp3Frame(5));
}

TEST_F(Writer, AFolderThatGoesAwayEndsTheRecordingWithItsReason) {
    const QString folder = dir.filePath("music");
    ASSERT_TRUE(QDir().mkpath(folder));
    writer.connectionStarted(Encoding::Adts, "aac");
    writer.begin(folder, "Station");
    feed(adtsFrame(300, 1) + adtsFrame(300, 2));
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_EQ(opened()[0], folder + "/Station.aac");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    // The writer looks for its folder once a second while it writes.
    for (int i = 0; i < 300 && writer.active(); ++i) {
        feed(adtsFrame(300, 3));
        usleep(10000);
    }
    EXPECT_FALSE(writer.active());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, RecordingWriter::Event::Kind::Failed);
    EXPECT_EQ(events.back().reason, "The folder " + folder + " has gone");

    // A folder that cannot be written: the first file cannot be made.
    events.clear();
    writer.begin("/proc", "Station");
    feed(adtsFrame(300, 1) + adtsFrame(300, 2));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().reason, "The folder /proc cannot be written");
    EXPECT_FALSE(writer.active());
}
