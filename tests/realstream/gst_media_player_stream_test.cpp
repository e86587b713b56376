// The real GStreamer player against a live Icecast server on loopback; the decoded audio is
// captured to a file and checked for the 440 Hz tone the sources send.
#include "environment.h"
#include "platform/gst/gst_media_player.h"
#include "stream_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

using platform::GstMediaPlayer;
using namespace realstream;

namespace {

constexpr int startTimeoutMs = 15000;
constexpr std::size_t halfSecond = Capture::rate / 2;

class LiveStream : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.ok()) << server.error().toStdString(); }

    bool waitPlaying(GstMediaPlayer& p) {
        return waitFor([&] { return p.playState() == platform::psPlaying; }, startTimeoutMs);
    }
    double nextBlockTone() { return realstream::nextBlockTone(capture); }
    double nextBlockLevel() { return realstream::nextBlockLevel(capture); }
    void skipOnset() { realstream::skipOnset(capture); }
    // After a change of mute, what was already queued for the output drains first: these
    // wait for the first block that shows the change, and fail if none comes in time.
    bool soonSilent() {
        return waitFor(
            [&] {
                const double level = nextBlockLevel();
                return level >= 0 && level < 0.001;
            },
            15000);
    }
    bool soonTone() {
        return waitFor([&] { return nextBlockTone() > 0.9; }, 15000);
    }
    // Waits until no audio has arrived for a quarter of a second (a pause has taken hold).
    bool audioStopped() {
        std::size_t seen = capture.sampleCount();
        QElapsedTimer still;
        still.start();
        return waitFor(
            [&] {
                if (capture.sampleCount() != seen) {
                    seen = capture.sampleCount();
                    still.restart();
                }
                return still.elapsed() >= 250;
            },
            10000);
    }

    StreamServer server;
    Capture capture;
    GstMediaPlayer player{capture.sinkDescription()};
};

TEST_F(LiveStream, Mp3MountPlaysTheToneMuteSilencesItAndPauseThenPlayBringsItBack) {
    QSignalSpy changed(&player, &platform::MediaPlayer::changed);
    player.setURL(server.url("/live.mp3"));
    EXPECT_EQ(player.URL(), server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    EXPECT_GT(changed.count(), 0);
    EXPECT_TRUE(player.status().startsWith("Playing")) << player.status().toStdString();
    skipOnset();
    EXPECT_GT(nextBlockTone(), 0.9);

    player.settings().setMute(true);
    EXPECT_TRUE(player.settings().mute());
    EXPECT_TRUE(soonSilent()) << "the stream was still heard while muted";
    player.settings().setMute(false);
    EXPECT_TRUE(soonTone()) << "the tone never came back after unmuting";

    player.controls().pause();
    EXPECT_EQ(player.playState(), platform::psPaused);
    ASSERT_TRUE(audioStopped()) << "audio kept coming while paused";
    const std::size_t whilePaused = capture.sampleCount();
    spin(1000);
    EXPECT_LT(capture.sampleCount(), whilePaused + Capture::rate / 10)
        << "audio kept coming while paused";
    player.controls().play();
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    EXPECT_GT(nextBlockTone(), 0.9);
    EXPECT_GT(nextBlockTone(), 0.9);

    // Icecast logs a listener when it leaves.
    player.controls().stop();
    EXPECT_TRUE(waitFor([&] { return server.listenerAgents().contains("KorvantLite/1.0"); }, 5000))
        << server.listenerAgents().toStdString();
}

TEST_F(LiveStream, OggMountPlaysTheTone) {
    player.setURL(server.url("/live.ogg"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    skipOnset();
    EXPECT_GT(nextBlockTone(), 0.9);
    EXPECT_GT(nextBlockTone(), 0.9);
}

TEST_F(LiveStream, StopSilencesTheStreamAndPlayStartsItAgain) {
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    player.controls().stop();
    EXPECT_EQ(player.playState(), platform::psStopped);
    EXPECT_EQ(player.status(), "Stopped");
    player.controls().play();
    EXPECT_NE(player.playState(), platform::psStopped);
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    skipOnset();
    EXPECT_GT(nextBlockTone(), 0.9);
}

TEST_F(LiveStream, TitlesSetOnTheServerWhilePlayingShowInTheStatusAndTheNextReplacesThem) {
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    server.setTitle("Korvant Test Song");
    EXPECT_TRUE(waitFor([&] { return player.status().contains("Korvant Test Song"); }, 12000))
        << player.status().toStdString();
    EXPECT_EQ(player.playState(), platform::psPlaying);
    server.setTitle("Second Song");
    EXPECT_TRUE(waitFor([&] { return player.status().contains("Second Song"); }, 12000))
        << player.status().toStdString();
    EXPECT_FALSE(player.status().contains("Korvant Test Song")) << player.status().toStdString();
    EXPECT_EQ(player.playState(), platform::psPlaying);
}

TEST_F(LiveStream, ShoutcastStyleServerPlaysWithItsNameAndWindows1252TitlesDecoded) {
    IcyRelay relay("/live.mp3", quint16(server.port()));
    relay.title = "Caf\xE9 del Mar";
    player.setURL(relay.url("/"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    skipOnset();
    EXPECT_GT(nextBlockTone(), 0.9);
    EXPECT_TRUE(waitFor(
        [&] { return player.status() == QString::fromUtf8("Playing: Relay Radio - Café del Mar"); },
        15000))
        << player.status().toStdString();
    // 0x80 and 0x96 are where Windows-1252 differs from Latin-1.
    relay.title = "\x80 5 \x96 Caf\xE9";
    EXPECT_TRUE(waitFor(
        [&] { return player.status() == QString::fromUtf8("Playing: Relay Radio - € 5 – Café"); },
        15000))
        << player.status().toStdString();
}

TEST_F(LiveStream, RedirectedAddressPlaysTheMountItLeadsTo) {
    TinyHttpServer web;
    web.redirects["/listen"] = server.url("/live.mp3").toUtf8();
    player.setURL(web.url("/listen"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    skipOnset();
    EXPECT_GT(nextBlockTone(), 0.9);
    EXPECT_EQ(player.URL(), web.url("/listen"));
    EXPECT_TRUE(web.requests.contains("/listen"));
}

TEST_F(LiveStream, LostServerIsRetriedWithGrowingPausesAndPlaysAgainWhenItReturns) {
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    server.stop();
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psReconnecting; }, 15000))
        << player.status().toStdString();
    EXPECT_EQ(player.status(), "Reconnecting in 1 s");
    // The server is still down at the first try, so the next pause is longer.
    EXPECT_TRUE(waitFor([&] { return player.status() == "Reconnecting in 2 s"; }, 5000))
        << player.status().toStdString();
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 20000))
        << player.status().toStdString();
    skipOnset();
    EXPECT_GT(nextBlockTone(), 0.9);
    EXPECT_EQ(player.URL(), server.url("/live.mp3"));
}

TEST_F(LiveStream, MountWhoseSourceWentAwayIsRetriedUntilItComesBack) {
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    std::vector<int> states;
    QObject::connect(&player, &platform::MediaPlayer::changed,
                     [&] { states.push_back(player.playState()); });
    server.stopSources(); // Icecast stays up and answers 404 for the mount
    QElapsedTimer sinceStop;
    sinceStop.start();
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psReconnecting; }, 15000))
        << player.status().toStdString();
    spin(int(std::max<qint64>(0, 4000 - sinceStop.elapsed())));
    ASSERT_TRUE(server.startSources());
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 20000))
        << player.status().toStdString();
    skipOnset();
    EXPECT_GT(nextBlockTone(), 0.9);
    EXPECT_EQ(player.URL(), server.url("/live.mp3"));
    EXPECT_EQ(std::count(states.begin(), states.end(), int(platform::psReady)), 0)
        << "the player gave up on a mount that had played";
    EXPECT_EQ(std::count(states.begin(), states.end(), int(platform::psStopped)), 0);
}

TEST_F(LiveStream, UserStopWhileWaitingToReconnectCancelsTheRetry) {
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    server.stop();
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psReconnecting; }, 15000))
        << player.status().toStdString();
    EXPECT_TRUE(player.status().startsWith("Reconnecting")) << player.status().toStdString();
    player.controls().stop();
    EXPECT_EQ(player.playState(), platform::psStopped);
    std::vector<int> states;
    QObject::connect(&player, &platform::MediaPlayer::changed,
                     [&] { states.push_back(player.playState()); });
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    spin(4000);
    EXPECT_EQ(player.playState(), platform::psStopped) << player.status().toStdString();
    EXPECT_EQ(player.status(), "Stopped");
    EXPECT_TRUE(states.empty()) << "the player moved after a user stop";
}

TEST_F(LiveStream, HungServerIsNoticedWithinSecondsAndRetried) {
    player.setURL(server.url("/live.mp3"));
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
    server.freeze(true);
    QElapsedTimer sinceFreeze;
    sinceFreeze.start();
    const bool noticed =
        waitFor([&] { return player.playState() == platform::psReconnecting; }, 20000);
    const qint64 noticedAfterMs = sinceFreeze.elapsed();
    server.freeze(false);
    ASSERT_TRUE(noticed) << player.status().toStdString();
    EXPECT_LT(noticedAfterMs, 15000); // the HTTP source alone would wait about 30 s
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 20000))
        << player.status().toStdString();
}

TEST_F(LiveStream, PlaylistsInEveryFormLeadToTheMount) {
    TinyHttpServer web;
    const QByteArray mount = server.url("/live.mp3").toUtf8();
    const RefusingPort refusing;
    const QByteArray closed = refusing.url("/gone.mp3").toUtf8();
    web.pages["/radio.pls"] = {"audio/x-scpls",
                               "[playlist]\nNumberOfEntries=1\nFile1=" + mount + "\nLength1=-1\n"};
    web.pages["/radio.m3u"] = {"audio/x-mpegurl", "#EXTM3U\n#EXTINF:-1,Test\n" + mount + "\n"};
    web.pages["/radio.asx"] = {"video/x-ms-asf", "<ASX version=\"3.0\"><ENTRY><REF HREF=\"" +
                                                     mount + "\"/></ENTRY></ASX>"};
    web.pages["/radio.xspf"] = {"application/xspf+xml",
                                "<?xml version=\"1.0\"?><playlist version=\"1\" "
                                "xmlns=\"http://xspf.org/ns/0/\"><trackList><track><location>" +
                                    mount + "</location></track></trackList></playlist>"};
    // No name to go by: the body and its type tell.
    web.pages["/listen"] = {"text/plain", "[playlist]\nFile1=" + mount + "\n"};
    web.pages["/fallback.m3u"] = {"audio/x-mpegurl", closed + "\n" + mount + "\n"};

    for (const QString path :
         {"/radio.pls", "/radio.m3u", "/radio.asx", "/radio.xspf", "/listen", "/fallback.m3u"}) {
        SCOPED_TRACE(path.toStdString());
        player.setURL(web.url(path));
        EXPECT_EQ(player.URL(), web.url(path));
        ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
        skipOnset();
        EXPECT_GT(nextBlockTone(), 0.9);
        player.controls().stop();
    }

    QTemporaryDir dir;
    const QString local = dir.filePath("radio.m3u");
    QFile file(local);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(mount + "\n");
    file.close();
    player.setURL(local);
    ASSERT_TRUE(waitPlaying(player)) << player.status().toStdString();
}

// The default output: a private PulseAudio server with a null sink, whose monitor is
// recorded, so that volume and mute are checked where the user hears them.
TEST(DefaultOutput, PlaysThroughPulseAudioWhereMuteSilencesTheStream) {
    StreamServer server;
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    QTemporaryDir dir;
    const QString socket = dir.filePath("pulse.sock");
    QProcess pulse;
    pulse.start("pulseaudio",
                {"--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
                 "--disallow-exit",
                 "--load=module-null-sink sink_name=nullsink rate=44100 channels=2",
                 "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1"});
    ASSERT_TRUE(waitFor([&] { return QFile::exists(socket); }, 15000));
    const testsupport::ScopedEnv pulseServer("PULSE_SERVER",
                                             "unix:" + socket); // read by the player's sink
    QProcess record;
    const QString wav = dir.filePath("rec.wav");
    record.start("parecord", {"-d", "nullsink.monitor", "--file-format=wav", "--rate=44100",
                              "--channels=1", "--format=s16le", wav});

    // The newest half second of the recording, or nothing while the file holds less. The
    // recording reaches the file a second or two behind the stream, so each check below
    // waits for what it expects to arrive instead of reading at a fixed time.
    auto newestHalfSecond = [&] {
        std::vector<int16_t> s;
        QFile f(wav);
        if (!f.open(QIODevice::ReadOnly))
            return s;
        const qint64 samples = (f.size() - 44) / 2;
        if (samples < qint64(halfSecond))
            return s;
        f.seek(44 + (samples - qint64(halfSecond)) * 2);
        const QByteArray data = f.read(qint64(halfSecond) * 2);
        s.resize(std::size_t(data.size()) / 2);
        if (!s.empty())
            std::memcpy(s.data(), data.constData(), s.size() * 2);
        return s;
    };
    auto steadyTone = [&] {
        const std::vector<int16_t> s = newestHalfSecond();
        return s.size() == halfSecond && toneShare(s, 0, halfSecond, 440) > 0.9;
    };
    auto silence = [&] {
        const std::vector<int16_t> s = newestHalfSecond();
        return s.size() == halfSecond && rms(s, 0, halfSecond) < 0.001;
    };
    {
        GstMediaPlayer player; // the desktop's default output
        player.setURL(server.url("/live.mp3"));
        ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 15000))
            << player.status().toStdString();
        // The onset of the sound spoils any block it falls in: the first steady tone is
        // waited for.
        ASSERT_TRUE(waitFor(steadyTone, 15000)) << "no steady tone reached the output";
        player.settings().setMute(true);
        EXPECT_TRUE(waitFor(silence, 15000)) << "the output never fell silent under mute";
        player.settings().setMute(false);
        EXPECT_TRUE(waitFor(steadyTone, 15000)) << "the tone never came back after unmuting";
    }
    record.terminate();
    record.waitForFinished(3000);
    pulse.terminate();
    if (!pulse.waitForFinished(3000))
        pulse.kill();
}

// HTTPS against Icecast's own TLS listener with a throw-away certificate for 127.0.0.1.
// The untrusted case comes first: once the process has connected to a server with a
// trusted certificate, the TLS layer under the HTTP source lets later connections to it
// through, and only the player's own check beside the stream refuses them.
TEST(SecureStream, FailsForGoodWhenTheCertificateIsNotTrustedAndPlaysWhenItIs) {
    StreamServer server(true, 1, true);
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    {
        GstMediaPlayer player{"fakesink sync=false"}; // the system's authorities only
        std::vector<int> states;
        QObject::connect(&player, &platform::MediaPlayer::changed,
                         [&] { states.push_back(player.playState()); });
        player.setURL(server.tlsUrl("/live.mp3"));
        EXPECT_TRUE(waitFor(
            [&] {
                return player.playState() == platform::psReady &&
                       player.status().contains("certificate", Qt::CaseInsensitive);
            },
            10000))
            << player.status().toStdString();
        spin(2500); // a retry would have come after 1 s
        EXPECT_EQ(player.playState(), platform::psReady);
        EXPECT_EQ(std::count(states.begin(), states.end(), int(platform::psReconnecting)), 0);
        EXPECT_EQ(std::count(states.begin(), states.end(), int(platform::psPlaying)), 0);
    }
    Capture capture;
    GstMediaPlayer player{capture.sinkDescription()};
    player.trustOnlyCertificatesIn(server.certificateFile());
    player.setURL(server.tlsUrl("/live.mp3"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 15000))
        << player.status().toStdString();
    skipOnset(capture);
    EXPECT_GT(nextBlockTone(capture), 0.9);

    // The server comes back with a certificate the player does not trust: the reconnect
    // series ends there and says why, rather than trying again and again.
    server.renewCertificate();
    server.stop();
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    EXPECT_TRUE(waitFor(
        [&] {
            return player.playState() == platform::psReady &&
                   player.status().contains("certificate", Qt::CaseInsensitive);
        },
        15000))
        << player.status().toStdString();
    std::vector<int> states;
    QObject::connect(&player, &platform::MediaPlayer::changed,
                     [&] { states.push_back(player.playState()); });
    spin(2500);
    EXPECT_TRUE(states.empty()) << "tried again after a refused certificate";
    EXPECT_EQ(player.playState(), platform::psReady);
}

// Failures: the player never plays, says why, and the process goes on.
class FailingAddress : public ::testing::Test {
protected:
    GstMediaPlayer player{"fakesink sync=false"};

    void expectFailure(const QString& url, const QString& why) {
        SCOPED_TRACE(url.toStdString());
        player.setURL(url);
        EXPECT_EQ(player.URL(), url);
        const bool settled = waitFor(
            [&] {
                return player.playState() == platform::psReady && player.status().contains(why);
            },
            10000);
        EXPECT_TRUE(settled) << "state " << player.playState() << ", status \""
                             << player.status().toStdString() << "\"";
        spin(300); // nothing late turns the failure into playing
        EXPECT_NE(player.playState(), platform::psPlaying);
    }
};

TEST_F(FailingAddress, ClosedPortSaysTheConnectionWasRefused) {
    const RefusingPort refusing;
    expectFailure(refusing.url("/live.mp3"), "Could not connect: Connection refused");
}

TEST_F(FailingAddress, MissingMountSaysNotFound) {
    StreamServer server(false);
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    expectFailure(server.url("/nothere.mp3"), "Not found (404)");
    expectFailure(server.url("/nothere.pls"), "Not found (404)");
}

TEST_F(FailingAddress, HtmlPageAndEmptyPlaylistSayWhatTheyAre) {
    TinyHttpServer web;
    web.pages["/index.html"] = {"text/html", "<html><body><p>http://127.0.0.1:1/x.mp3</p>"
                                             "</body></html>"};
    web.pages["/page"] = {"text/html", "<html><body>Welcome</body></html>"};
    web.pages["/empty.pls"] = {"audio/x-scpls", "[playlist]\nNumberOfEntries=0\n"};
    expectFailure(web.url("/index.html"), "Not an audio stream");
    expectFailure(web.url("/page"), "Not an audio stream");
    expectFailure(web.url("/empty.pls"), "no playable entries");
}

TEST_F(FailingAddress, EmptyBlankAndGarbageTextAreRefusedAtOnce) {
    for (const QString text : {"", "   ", "garbage text", "hello", "http://", "c:\\radio\\x.mp3",
                               "gopher://127.0.0.1/x"}) {
        SCOPED_TRACE(text.toStdString());
        player.setURL(text);
        EXPECT_EQ(player.URL(), text);
        EXPECT_EQ(player.playState(), platform::psReady);
        EXPECT_FALSE(player.status().isEmpty());
    }
    player.setURL("");
    EXPECT_EQ(player.status(), "No address to play");
    player.setURL("garbage text");
    EXPECT_EQ(player.status(), "Not a valid stream address");
}

TEST_F(FailingAddress, AllEntriesOfAPlaylistFailingReportsTheLastReason) {
    TinyHttpServer web;
    const RefusingPort refusing;
    web.pages["/dead.m3u"] = {"audio/x-mpegurl", refusing.url("/a.mp3").toUtf8() + "\n" +
                                                     web.url("/missing.mp3").toUtf8() + "\n"};
    expectFailure(web.url("/dead.m3u"), "Not found (404)");
    EXPECT_TRUE(web.requests.contains("/missing.mp3"));
}

TEST_F(FailingAddress, PlaylistsThatNameThemselvesEndAfterABoundedNumberOfFetches) {
    TinyHttpServer web;
    QByteArray body = "#EXTM3U\n";
    for (int i = 0; i < 64; ++i)
        body += web.url("/bomb.m3u").toUtf8() + "\n";
    web.pages["/bomb.m3u"] = {"audio/x-mpegurl", body};
    expectFailure(web.url("/bomb.m3u"), "Too many nested playlists");
    EXPECT_LE(web.requests.size(), 64);
}

TEST_F(FailingAddress, EndlessHeaderLineIsGivenUpOnAtOnceWithItsConnectionClosed) {
    TinyHttpServer hostile;
    hostile.endlessHeaderPaths << "/endless.pls"
                               << "/endless";
    hostile.silentPaths << "/silent.pls";
    TinyHttpServer good;
    good.pages["/empty.pls"] = {"audio/x-scpls", "[playlist]\nNumberOfEntries=0\n"};
    QElapsedTimer elapsed;
    elapsed.start();
    expectFailure(hostile.url("/endless.pls"), "The server's headers are too long");
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_TRUE(waitFor([&] { return hostile.openConnections() == 0; }, 5000))
        << "the player kept reading the endless header";
    EXPECT_LT(hostile.endlessBytesSent, 1024 * 1024);
    // The same line where a stream was expected.
    expectFailure(hostile.url("/endless"), "The server's headers are too long");
    // The next playlist, on another server, is read as ever.
    expectFailure(good.url("/empty.pls"), "no playable entries");

    // A stop and a station change close a fetch still waiting for its answer.
    player.setURL(hostile.url("/silent.pls"));
    ASSERT_TRUE(waitFor([&] { return hostile.openConnections() == 1; }, 5000));
    player.controls().stop();
    EXPECT_TRUE(waitFor([&] { return hostile.openConnections() == 0; }, 5000));
    player.setURL(hostile.url("/silent.pls"));
    ASSERT_TRUE(waitFor([&] { return hostile.openConnections() == 1; }, 5000));
    expectFailure(good.url("/empty.pls"), "no playable entries");
    EXPECT_TRUE(waitFor([&] { return hostile.openConnections() == 0; }, 5000));
}

TEST_F(FailingAddress, PlaylistOfServersThatNeverAnswerEndsWithinItsBudgetSayingSo) {
    TinyHttpServer silent;
    TinyHttpServer web;
    QByteArray body = "#EXTM3U\n";
    for (int i = 0; i < 64; ++i) {
        // Streams and playlists alike: the pipeline's source and the player's own fetch.
        const QString path = QString::fromLatin1(i % 2 == 0 ? "/s%1.mp3" : "/s%1.pls").arg(i);
        silent.silentPaths << path;
        body += silent.url(path).toUtf8() + "\n";
    }
    web.pages["/many.m3u"] = {"audio/x-mpegurl", body};
    QElapsedTimer elapsed;
    elapsed.start();
    player.setURL(web.url("/many.m3u"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psReady; },
                        GstMediaPlayer::resolveBudgetMs + 15000))
        << player.status().toStdString();
    EXPECT_LE(elapsed.elapsed(), GstMediaPlayer::resolveBudgetMs + 2000);
    EXPECT_EQ(player.status(), "The server does not answer");
    spin(300); // nothing late changes the reason
    EXPECT_EQ(player.status(), "The server does not answer");
    EXPECT_TRUE(waitFor([&] { return silent.openConnections() == 0; }, 5000))
        << silent.openConnections() << " connections left open";
}

TEST_F(FailingAddress, RedirectLoopsLongChainsAndRedirectsToFilesSayWhatHappened) {
    TinyHttpServer web;
    web.redirects["/loop-a"] = web.url("/loop-b").toUtf8();
    web.redirects["/loop-b"] = web.url("/loop-a").toUtf8();
    for (int i = 0; i < 50; ++i)
        web.redirects[QStringLiteral("/step%1").arg(i)] =
            web.url(QStringLiteral("/step%1").arg(i + 1)).toUtf8();
    web.redirects["/to-file"] = "file:///etc/passwd";
    web.redirects["/loop.pls"] = web.url("/loop.pls").toUtf8();
    web.redirects["/to-file.pls"] = "file:///etc/passwd";
    expectFailure(web.url("/loop-a"), "Redirect loop");
    expectFailure(web.url("/step0"), "Too many redirects");
    expectFailure(web.url("/to-file"), "Refused a redirect to a file: address");
    expectFailure(web.url("/loop.pls"), "Redirect loop");
    expectFailure(web.url("/to-file.pls"), "Refused a redirect to a file: address");
}

TEST_F(FailingAddress, ServerSendingATitleAfterEveryByteFailsRatherThanBufferingForever) {
    TinyHttpServer web;
    web.rawAnswers["/tiny.mp3"] =
        "ICY 200 OK\r\ncontent-type: audio/mpeg\r\nicy-metaint: 1\r\n\r\n" + QByteArray(4096, 1);
    expectFailure(web.url("/tiny.mp3"), "in-band titles after every byte");
}

TEST_F(FailingAddress, RemoteHlsManifestNamingALocalFileNeverOpensIt) {
    QTemporaryDir dir;
    const QString secret = dir.filePath("secret.ts");
    QFile file(secret);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(secret).constData(), IN_OPEN), 0);
    TinyHttpServer web;
    web.pages["/live.m3u8"] = {"application/vnd.apple.mpegurl",
                               "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:0\n"
                               "#EXTINF:10,\n" +
                                   QUrl::fromLocalFile(secret).toEncoded() + "\n#EXT-X-ENDLIST\n"};
    expectFailure(web.url("/live.m3u8"), "a remote stream named a local file");
    char events[4096];
    EXPECT_LE(::read(watch, events, sizeof events), 0) << "the local file was opened";
    ::close(watch);
}

TEST_F(FailingAddress, ChunkedPlaylistIsReadWholeAcrossItsChunks) {
    TinyHttpServer web;
    const QByteArray entry = web.url("/missing.mp3").toUtf8() + "\n";
    const QByteArray first = entry.left(10), second = entry.mid(10);
    // The chunk boundary falls inside the address; the connection stays open after the last.
    web.rawAnswers["/chunked.m3u"] = "HTTP/1.1 200 OK\r\nContent-Type: audio/x-mpegurl\r\n"
                                     "Transfer-Encoding: chunked\r\n\r\n" +
                                     QByteArray::number(first.size(), 16) + "\r\n" + first +
                                     "\r\n" + QByteArray::number(second.size(), 16) + "\r\n" +
                                     second + "\r\n0\r\n\r\n";
    expectFailure(web.url("/chunked.m3u"), "Not found (404)");
    EXPECT_TRUE(web.requests.contains("/missing.mp3"));
}

} // namespace
