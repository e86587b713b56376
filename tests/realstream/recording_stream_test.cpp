// Recording what plays, against the loopback Icecast server: the recorded file is checked
// by itself (decoded with GStreamer to the 440 Hz tone the sources send, and compared with
// what the server sent a plain listener) while the player's own output is checked as in
// the other stream tests.
#include "fakes.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/playbin_setup.h"
#include "platform/gst/stream_framing.h"
#include "platform/player_view.h"
#include "stream_support.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sys/mount.h>

using platform::GstMediaPlayer;
using platform::MediaPlayer;
using namespace realstream;

namespace {

constexpr int startTimeoutMs = 15000;

// A listener that asks for no in-band titles and keeps every byte of the body: what the
// server sends for the mount.
class PlainListener {
public:
    PlainListener(quint16 port, const QByteArray& mount) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        QObject::connect(&socket_, &QTcpSocket::connected, [this, mount] {
            socket_.write("GET " + mount + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
        });
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { data_ += socket_.readAll(); });
    }
    QByteArray body() const {
        const qsizetype end = data_.indexOf("\r\n\r\n");
        return end < 0 ? QByteArray() : data_.mid(end + 4);
    }

private:
    QTcpSocket socket_;
    QByteArray data_;
};

// Whether recorded is what the plain listener got (it began listening earlier and may lag
// behind), in at most maxRuns contiguous runs that follow one another in order without
// overlapping: a connection that came back after a gap goes on in a run of its own.
::testing::AssertionResult isARunOf(const PlainListener& plain, const QByteArray& recorded,
                                    int maxRuns = 1) {
    constexpr qsizetype probe = 4096;
    qsizetype done = 0;    // of recorded
    qsizetype sentEnd = 0; // of what was sent, where the last run ended
    for (int run = 1; done < recorded.size(); ++run) {
        const QByteArray start = recorded.mid(done, probe);
        qsizetype at = -1;
        waitFor([&] { return (at = plain.body().indexOf(start, sentEnd)) >= 0; }, 10000);
        if (at < 0)
            return ::testing::AssertionFailure()
                   << "bytes " << done << " on of the file are not in what the server sent"
                   << (run > 1 ? " after what the file held before them" : "");
        if (run > maxRuns)
            return ::testing::AssertionFailure()
                   << "the file is more than " << maxRuns << " runs of what the server sent";
        waitFor([&] { return plain.body().size() >= at + recorded.size() - done; }, 15000);
        const QByteArray sent = plain.body();
        qsizetype n = 0;
        while (done + n < recorded.size() && at + n < sent.size() &&
               recorded[done + n] == sent[at + n])
            ++n;
        done += n;
        sentEnd = at + n;
    }
    return ::testing::AssertionSuccess();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The recorded file decoded by GStreamer on its own, as 44.1 kHz mono samples.
std::vector<int16_t> decodeFile(const QString& path) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("decoded.wav");
    QProcess p;
    // A playbin, because a bare decodebin stops at the end of an Ogg file's first chain.
    p.start("gst-launch-1.0",
            {"-q", "playbin", "flags=2",
             "uri=" + QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded),
             "audio-sink=audioconvert ! audioresample ! "
             "audio/x-raw,format=S16LE,rate=44100,channels=1 ! wavenc ! filesink sync=false "
             "location=\"" +
                 wav + "\""});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    const QByteArray data = readAll(wav).mid(44);
    std::vector<int16_t> samples(std::size_t(data.size()) / 2);
    std::memcpy(samples.data(), data.constData(), samples.size() * 2);
    return samples;
}

// Every half second of the decoded file after its first tenth of a second holds the tone,
// but for dips (where a source that started again joins the file).
::testing::AssertionResult holdsTheToneThroughout(const QString& path, double minSeconds,
                                                  int dips = 0) {
    const std::vector<int16_t> s = decodeFile(path);
    const std::size_t block = Capture::rate / 2;
    if (double(s.size()) / Capture::rate < minSeconds)
        return ::testing::AssertionFailure()
               << path.toStdString() << " decodes to " << double(s.size()) / Capture::rate
               << " s, fewer than " << minSeconds;
    for (std::size_t at = Capture::rate / 10; at + block <= s.size(); at += block)
        if (const double share = toneShare(s, at, block, 440); share < 0.9 && dips-- <= 0)
            return ::testing::AssertionFailure()
                   << "no tone at " << double(at) / Capture::rate << " s of " << path.toStdString()
                   << " (share " << share << ")";
    return ::testing::AssertionSuccess();
}

// Whether this process holds the file open.
bool heldOpen(const QString& path) {
    const QFileInfo target(path);
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
        if (fd.symLinkTarget() == target.absoluteFilePath())
            return true;
    return false;
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ok()) << server.error().toStdString();
        ASSERT_TRUE(folder.isValid());
    }
    bool waitPlaying(MediaPlayer& p) {
        return waitFor([&] { return p.playState() == platform::psPlaying; }, startTimeoutMs);
    }
    bool waitBytes(MediaPlayer& p, qint64 atLeast) {
        return waitFor([&] { return p.recording().bytes >= atLeast; }, 30000);
    }
    MediaPlayer::RecordingRequest request(const QString& station = "Test Station") const {
        return {folder.filePath("music"), station, false};
    }

    StreamServer server;
    Capture capture;
    QTemporaryDir folder;
    std::unique_ptr<GstMediaPlayer> player =
        std::make_unique<GstMediaPlayer>(capture.sinkDescription());
};

} // namespace

TEST_F(Recording, Mp3MountIsRecordedByteForByteAsSentAndTheFileDecodesToTheTone) {
    PlainListener plain(quint16(server.port()), "/live.mp3");
    player->setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    server.setTitle("A title in band"); // the player's copy carries titles; the file must not
    QSignalSpy changed(player.get(), &MediaPlayer::changed);
    player->startRecording(request());
    EXPECT_TRUE(player->recording().active);
    EXPECT_GT(changed.count(), 0);
    ASSERT_TRUE(waitBytes(*player, 96 * 1024)) << player->recording().error.toStdString();
    const MediaPlayer::Recording during = player->recording();
    EXPECT_TRUE(during.active);
    EXPECT_TRUE(during.error.isEmpty());
    EXPECT_GT(during.elapsedMs, 1000);
    EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(folder.filePath("music")) +
                                   "/Test Station \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.mp3")
                    .match(during.file)
                    .hasMatch())
        << during.file.toStdString();
    player->stopRecording();
    const MediaPlayer::Recording after = player->recording();
    EXPECT_FALSE(after.active);
    EXPECT_TRUE(after.error.isEmpty());
    EXPECT_EQ(after.file, during.file);
    EXPECT_FALSE(heldOpen(after.file));
    EXPECT_EQ(player->playState(), platform::psPlaying) << "playback goes on";

    const QByteArray recorded = readAll(after.file);
    EXPECT_EQ(recorded.size(), after.bytes);
    ASSERT_GT(recorded.size(), 64 * 1024);
    EXPECT_FALSE(recorded.contains("StreamTitle")) << "in-band titles were written";
    EXPECT_TRUE(isARunOf(plain, recorded));
    EXPECT_TRUE(holdsTheToneThroughout(after.file, 4));
}

// An AAC station (ADTS over plain HTTP, here twenty seconds of the tone from the loopback
// web server): the file is the stream as it came, from a frame header on.
TEST_F(Recording, AdtsStationIsRecordedFromAFrameByteForByteAsSentAndTheFileDecodesToTheTone) {
    QString error;
    const QByteArray sent = adtsTone(20, &error);
    ASSERT_GT(sent.size(), 160 * 1024) << error.toStdString();
    TinyHttpServer web;
    web.pages["/aac"] = {"audio/aac", sent};
    player->setURL(web.url("/aac"));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    player->startRecording(request("AAC Radio"));
    ASSERT_TRUE(waitBytes(*player, 48 * 1024)) << player->recording().error.toStdString();
    player->stopRecording();
    const MediaPlayer::Recording r = player->recording();
    EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(folder.filePath("music")) +
                                   "/AAC Radio \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.aac")
                    .match(r.file)
                    .hasMatch())
        << r.file.toStdString();
    EXPECT_EQ(player->playState(), platform::psPlaying) << "playback goes on";

    const QByteArray recorded = readAll(r.file);
    EXPECT_EQ(recorded.size(), r.bytes);
    ASSERT_GE(recorded.size(), 48 * 1024);
    EXPECT_TRUE(uchar(recorded[0]) == 0xFF && (uchar(recorded[1]) & 0xF6) == 0xF0)
        << "the file does not begin with an ADTS header";
    const qsizetype at = sent.indexOf(recorded.left(4096));
    ASSERT_GE(at, 0) << "the file's start is not in what the server sent";
    EXPECT_GT(at, 0) << "recording began with the stream, not while it played";
    EXPECT_TRUE(sent.mid(at, recorded.size()) == recorded)
        << "the file differs from what the server sent";
    // The frames of what was sent, by their headers' lengths: one of them starts the file.
    qsizetype frame = 0;
    while (frame < at && frame + 7 <= sent.size()) {
        const auto* h = reinterpret_cast<const uchar*>(sent.constData() + frame);
        const int length = (h[3] & 3) << 11 | h[4] << 3 | h[5] >> 5;
        if (h[0] != 0xFF || length < 7)
            break;
        frame += length;
    }
    EXPECT_EQ(frame, at) << "the file does not start where a frame of the stream does";
    EXPECT_TRUE(holdsTheToneThroughout(r.file, 2.5));
}

TEST_F(Recording, OggMountRecordedFromTheMiddleBeginsWithItsHeadersAndDecodesToTheTone) {
    player->setURL(server.url("/live.ogg"));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    spin(2000); // well past the stream's header pages
    player->startRecording(request("Ogg Radio"));
    ASSERT_TRUE(waitBytes(*player, 24 * 1024)) << player->recording().error.toStdString();
    player->stopRecording();
    const MediaPlayer::Recording r = player->recording();
    EXPECT_TRUE(r.file.endsWith(".ogg")) << r.file.toStdString();
    EXPECT_TRUE(QFileInfo(r.file).fileName().startsWith("Ogg Radio "));
    const QByteArray recorded = readAll(r.file);
    ASSERT_GT(recorded.size(), 27);
    EXPECT_TRUE(recorded.startsWith("OggS"));
    EXPECT_TRUE(recorded.at(5) & 0x02) << "the file does not begin a stream";
    EXPECT_TRUE(holdsTheToneThroughout(r.file, 2));
}

TEST_F(Recording, AFilePerTitleIsNamedAfterTheTitleMadeSafeAndEachDecodes) {
    server.setTitle("Opening Song");
    player->setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    ASSERT_TRUE(waitFor([&] { return player->title() == "Opening Song"; }, 15000));
    const QString music = folder.filePath("music");
    player->startRecording({music, "Station", true});
    ASSERT_TRUE(waitBytes(*player, 48 * 1024));
    EXPECT_EQ(player->recording().file, music + "/Opening Song.mp3");
    QSignalSpy changed(player.get(), &MediaPlayer::changed);
    server.setTitle("../Next/Song");
    ASSERT_TRUE(
        waitFor([&] { return player->recording().file == music + "/-Next-Song.mp3"; }, 15000))
        << player->recording().file.toStdString();
    EXPECT_GT(changed.count(), 0);
    const qint64 before = player->recording().bytes;
    ASSERT_TRUE(waitBytes(*player, before + 48 * 1024));
    player->stopRecording();
    EXPECT_EQ(QDir(music).entryList(QDir::Files),
              (QStringList{"-Next-Song.mp3", "Opening Song.mp3"}));
    EXPECT_EQ(QFileInfo(music + "/Opening Song.mp3").size() +
                  QFileInfo(music + "/-Next-Song.mp3").size(),
              player->recording().bytes);
    EXPECT_TRUE(holdsTheToneThroughout(music + "/Opening Song.mp3", 2));
    EXPECT_TRUE(holdsTheToneThroughout(music + "/-Next-Song.mp3", 2));
}

TEST_F(Recording, ARestartedServerIsRecordedOnInTheSameFileThatStillDecodes) {
    for (const QString mount : {"/live.mp3", "/live.ogg"}) {
        SCOPED_TRACE(mount.toStdString());
        player->setURL(server.url(mount));
        ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
        player->startRecording(request(mount.mid(1)));
        ASSERT_TRUE(waitBytes(*player, 32 * 1024)) << player->recording().error.toStdString();
        const QString file = player->recording().file;
        server.stop();
        ASSERT_TRUE(waitFor([&] { return player->playState() == platform::psReconnecting; }, 15000))
            << player->status().toStdString();
        EXPECT_TRUE(player->recording().active);
        const qint64 before = player->recording().bytes;
        ASSERT_TRUE(server.start()) << server.error().toStdString();
        ASSERT_TRUE(waitFor([&] { return player->playState() == platform::psPlaying; }, 30000))
            << player->status().toStdString();
        ASSERT_TRUE(waitBytes(*player, before + 32 * 1024))
            << player->recording().error.toStdString();
        EXPECT_TRUE(player->recording().active);
        EXPECT_EQ(player->recording().file, file);
        player->stopRecording();
        EXPECT_EQ(QFileInfo(file).size(), player->recording().bytes);
        EXPECT_EQ(QDir(folder.filePath("music")).entryList(QDir::Files).filter(mount.mid(1)).size(),
                  1);
        // The new source's tone does not go on in phase with the old one's.
        EXPECT_TRUE(holdsTheToneThroughout(file, 3, 2));
        // What came after the restart decodes too: the file plays on past what was there.
        const QString firstPart = folder.filePath("first-part");
        QFile::remove(firstPart);
        QFile part(firstPart);
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        part.write(readAll(file).left(before));
        part.close();
        const double whole = double(decodeFile(file).size()) / Capture::rate;
        const double untilRestart = double(decodeFile(firstPart).size()) / Capture::rate;
        EXPECT_GT(whole, untilRestart + 1.5) << whole << " s against " << untilRestart << " s";
    }
}

TEST_F(Recording, AConnectionTheServerDropsGoesOnInTheSameFileWithNothingInItTwice) {
    for (const QString mount : {"/live.mp3", "/live.ogg"}) {
        SCOPED_TRACE(mount.toStdString());
        const bool mp3 = mount.endsWith(".mp3");
        const qint64 some = mp3 ? 32 * 1024 : 10 * 1024; // a few seconds (Ogg: of a quiet tone)
        PlainListener plain(quint16(server.port()), mount.toLatin1());
        player->setURL(server.url(mount));
        ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
        player->startRecording(request(mount.mid(1)));
        ASSERT_TRUE(waitBytes(*player, some)) << player->recording().error.toStdString();
        // The server ends the player's connection while the source goes on. The player
        // plays out what it holds, then comes back, and the server sends it its last seconds
        // first: for Ogg (fewer bytes a second) these reach back into what the file holds.
        // What it holds is the server's burst of 64 KiB, some 20 s of the quiet Ogg tone.
        ASSERT_GE(server.dropListeners(mount, platform::userAgent), 1);
        ASSERT_TRUE(waitFor([&] { return player->playState() == platform::psReconnecting; }, 60000))
            << player->status().toStdString();
        ASSERT_TRUE(waitFor([&] { return player->playState() == platform::psPlaying; }, 30000))
            << player->status().toStdString();
        ASSERT_TRUE(waitBytes(*player, player->recording().bytes + some))
            << player->recording().error.toStdString();
        player->stopRecording();
        const QString file = player->recording().file;
        EXPECT_EQ(QDir(folder.filePath("music")).entryList(QDir::Files).filter(mount.mid(1)).size(),
                  1);
        const QByteArray recorded = readAll(file);
        if (mp3) {
            EXPECT_TRUE(isARunOf(plain, recorded, 2));
        } else {
            // One chain, its pages as the server sent them, numbered on without a gap or a
            // page twice (the last one is marked as the stream's end).
            const auto pagesOf = [](const QByteArray& bytes) {
                std::vector<platform::framing::OggPage> pages;
                platform::framing::OggPageReader().feed(bytes.constData(), bytes.size(), pages);
                return pages;
            };
            const auto filePages = pagesOf(recorded);
            ASSERT_GT(filePages.size(), 4u);
            ASSERT_TRUE(waitFor([&] { return pagesOf(plain.body()).size() > 4; }, 10000));
            waitFor(
                [&] {
                    return !pagesOf(plain.body()).empty() &&
                           pagesOf(plain.body()).back().sequence >= filePages.back().sequence;
                },
                15000);
            std::map<quint32, QByteArray> sent;
            for (const auto& page : pagesOf(plain.body()))
                sent[page.sequence] = page.bytes;
            EXPECT_EQ(std::count_if(filePages.begin(), filePages.end(),
                                    [](const auto& page) { return page.beginsStream; }),
                      1);
            const auto firstAudio = std::find_if(filePages.begin(), filePages.end(),
                                                 [](const auto& page) { return page.granule > 0; });
            for (auto page = firstAudio; page != filePages.end(); ++page) {
                if (page != firstAudio) {
                    ASSERT_EQ(page->sequence, std::prev(page)->sequence + 1);
                }
                if (std::next(page) != filePages.end()) {
                    ASSERT_TRUE(sent[page->sequence] == page->bytes)
                        << "page " << page->sequence << " is not as sent";
                }
            }
        }
        // MP3: where the file goes on after what it missed.
        EXPECT_TRUE(holdsTheToneThroughout(file, 3, mp3 ? 1 : 0));
    }
}

TEST_F(Recording, AFullDiskEndsTheRecordingWithItsReasonWhileTheToneGoesOn) {
    const QString small = folder.filePath("small");
    ASSERT_TRUE(QDir().mkpath(small));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=48k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(small)};

    player->setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    QSignalSpy changed(player.get(), &MediaPlayer::changed);
    player->startRecording({small, "Full", false});
    ASSERT_TRUE(waitFor([&] { return !player->recording().active; }, 30000));
    const MediaPlayer::Recording r = player->recording();
    EXPECT_EQ(r.error, "The disk is full");
    EXPECT_GT(changed.count(), 0);
    EXPECT_EQ(player->playState(), platform::psPlaying) << player->status().toStdString();
    skipOnset(capture);
    EXPECT_GT(nextBlockTone(capture), 0.9);
    EXPECT_GT(nextBlockTone(capture), 0.9);
    // What was written stays: the file is there, as long as the bytes counted.
    EXPECT_GT(QFileInfo(r.file).size(), 16 * 1024);
    EXPECT_EQ(QFileInfo(r.file).size(), r.bytes);
    EXPECT_FALSE(heldOpen(r.file));
}

TEST_F(Recording, StopANewAddressAndThePlayersEndCloseTheFileAndAFileIsNotRecorded) {
    player->setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    player->startRecording(request());
    ASSERT_TRUE(waitBytes(*player, 8 * 1024));
    player->controls().stop();
    EXPECT_FALSE(player->recording().active);
    EXPECT_FALSE(heldOpen(player->recording().file));
    EXPECT_TRUE(player->recording().error.isEmpty());

    player->controls().play();
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    player->startRecording(request());
    ASSERT_TRUE(waitBytes(*player, 8 * 1024));
    const QString second = player->recording().file;
    player->setURL(server.url("/live.ogg"));
    EXPECT_FALSE(player->recording().active);
    EXPECT_FALSE(heldOpen(second));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    EXPECT_FALSE(player->recording().active) << "a new address started recording by itself";

    player->startRecording(request());
    ASSERT_TRUE(waitBytes(*player, 8 * 1024));
    const QString third = player->recording().file;
    EXPECT_NE(third, second);
    player.reset();
    EXPECT_FALSE(heldOpen(third));
    const qint64 size = QFileInfo(third).size();
    EXPECT_GT(size, 8 * 1024);

    // A local WAV file is not carried as a stream the recording can keep as it came.
    const QString wav = folder.filePath("tone.wav");
    QProcess make;
    make.start("gst-launch-1.0", {"-q", "audiotestsrc", "num-buffers=200", "!", "wavenc", "!",
                                  "filesink", "location=" + wav});
    ASSERT_TRUE(make.waitForFinished(30000));
    player = std::make_unique<GstMediaPlayer>(capture.sinkDescription());
    player->setURL(wav);
    player->startRecording(request());
    ASSERT_TRUE(waitFor([&] { return !player->recording().active; }, startTimeoutMs));
    EXPECT_EQ(player->recording().error, "This stream cannot be recorded as it arrives");
    EXPECT_EQ(QDir(folder.filePath("music")).entryList(QDir::Files).size(), 3);
}

// The record button over the real player: what the program answers is what gets written,
// the indicator follows the file as it grows, and the view's Stop ends the recording and
// its mark with the file kept whole.
TEST_F(Recording, TheRecordButtonRecordsThePlayingStationUntilTheViewsStop) {
    platform::PlayerView view(*player);
    fakes::FakeRecordingSetup setup;
    setup.answer = request("Button Radio");
    view.setRecordingSetup(&setup);
    QToolButton* record = nullptr;
    QPushButton* stop = nullptr;
    for (QToolButton* b : view.findChildren<QToolButton*>())
        record = b->accessibleName() == "Record" ? b : record;
    for (QPushButton* b : view.findChildren<QPushButton*>())
        stop = b->accessibleName() == "Stop" ? b : stop;
    ASSERT_NE(record, nullptr);
    ASSERT_NE(stop, nullptr);

    player->setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(*player)) << player->status().toStdString();
    record->click();
    EXPECT_TRUE(record->isChecked()) << player->recording().error.toStdString();
    ASSERT_TRUE(waitBytes(*player, 32 * 1024)) << player->recording().error.toStdString();
    const QString file = player->recording().file;
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith("Button Radio ")) << file.toStdString();
    QString shown;
    EXPECT_TRUE(waitFor(
        [&] {
            shown.clear();
            for (QLabel* l : view.findChildren<QLabel*>())
                shown += l->text() + " | ";
            return QRegularExpression("REC \\d+:\\d\\d \u00b7 [0-9.]+ [kKM]B \\|")
                .match(shown)
                .hasMatch();
        },
        10000))
        << "no indicator of time and size in " << shown.toStdString();

    stop->click();
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(player->playState(), platform::psStopped);
    EXPECT_FALSE(heldOpen(file));
    EXPECT_EQ(QFileInfo(file).size(), player->recording().bytes);
    EXPECT_TRUE(holdsTheToneThroughout(file, 1.5));
}
