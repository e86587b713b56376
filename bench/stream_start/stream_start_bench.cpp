// Stream start and streaming cost of the GStreamer player beside a bare gst-launch playbin
// on the same loopback Icecast MP3 mount, into a private PulseAudio null sink.
//
//   stream_start_bench [--runs N] [--seconds S]
//
// Ours is the player as the program makes it: the stand-in that loads the korvant_gst
// module at the first address.
//
// Start: median over N runs of the time from assigning the address to play state 3 (each
// run a fresh process, so loading the module and GStreamer's own start-up are included), beside the
// bare pipeline's time from launch to PLAYING; our launch-to-playing time is shown as well.
// First audio: the same, until the first decoded audio; for this both sides write the
// decoded audio to a file instead of the sound server, and its first bytes mark the first
// decoded buffer.
// Streaming: CPU seconds and peak RSS of each process over S seconds, read from /proc,
// with the PulseAudio server's CPU over the same time.
#include "platform/gst/lazy_media_player.h"
#include "stream_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

using platform::LazyMediaPlayer;

LazyMediaPlayer::Maker programsPlayer() {
    return LazyMediaPlayer::fromModule(QStringLiteral(KORVANT_GST_MODULE_DIR));
}

// --- child modes -----------------------------------------------------------------------

int childStart(const QString& url) {
    LazyMediaPlayer player(programsPlayer());
    QElapsedTimer timer;
    QObject::connect(&player, &platform::MediaPlayer::changed, [&] {
        if (player.playState() == platform::psPlaying) {
            std::printf("PLAYING %.1f\n", timer.nsecsElapsed() / 1e6);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
    });
    timer.start();
    player.setURL(url);
    QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
    return QCoreApplication::exec();
}

double steadyMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The output of both sides in the first-audio runs: decoded audio into `file`, unbuffered.
QString fileSink(const QString& file) {
    return "audioconvert ! audio/x-raw,format=S16LE ! filesink buffer-mode=2 location=" + file;
}

int childFirstAudio(const QString& url, const QString& file) {
    LazyMediaPlayer player(
        LazyMediaPlayer::fromModule(QStringLiteral(KORVANT_GST_MODULE_DIR), fileSink(file)));
    std::printf("URL %.3f\n", steadyMs());
    std::fflush(stdout);
    player.setURL(url);
    QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
    return QCoreApplication::exec(); // until stopped
}

int childStream(const QString& url) {
    LazyMediaPlayer player(programsPlayer());
    QObject::connect(&player, &platform::MediaPlayer::changed, [&] {
        if (player.playState() == platform::psPlaying) {
            std::printf("PLAYING\n");
            std::fflush(stdout);
        }
    });
    player.setURL(url);
    return QCoreApplication::exec(); // until killed
}

// --- measuring -----------------------------------------------------------------------------

struct ProcStats {
    double cpuSeconds = 0;
    double peakRssMiB = 0;
};

ProcStats procStats(qint64 pid) {
    ProcStats s;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
        const double tick = double(sysconf(_SC_CLK_TCK));
        s.cpuSeconds = (f.value(11).toDouble() + f.value(12).toDouble()) / tick;
    }
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                s.peakRssMiB = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return s;
}

// Starts a process and waits until a stdout line satisfies the test; returns the
// milliseconds from launch, or -1.
double launchUntil(QProcess& p, const QString& program, const QStringList& args,
                   const std::function<bool(const QByteArray&)>& test) {
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    QByteArray pending;
    while (timer.elapsed() < 20000) {
        if (!p.waitForReadyRead(100) && p.state() == QProcess::NotRunning)
            return -1;
        pending += p.readAllStandardOutput();
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(nl);
            pending.remove(0, nl + 1);
            if (test(line))
                return timer.nsecsElapsed() / 1e6;
        }
    }
    return -1;
}

// Starts a process and waits until `file` holds data; returns the milliseconds from
// launch, or -1, and the steady-clock time when the data was seen.
double launchUntilAudio(QProcess& p, const QString& program, const QStringList& args,
                        const QString& file, double* seenAtMs) {
    QFile::remove(file);
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    while (timer.elapsed() < 20000) {
        if (QFileInfo(file).size() > 0) {
            *seenAtMs = steadyMs();
            return timer.nsecsElapsed() / 1e6;
        }
        if (p.state() == QProcess::NotRunning)
            return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return -1;
}

void stop(QProcess& p) {
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

bool barePlaying(const QByteArray& line) {
    return line.contains("from element \"playbin") && line.contains("(state-changed)") &&
           line.contains("new-state=(GstState)playing");
}

QStringList bareArgs(const QString& url) {
    return {"-oL", "gst-launch-1.0", "-m", "playbin", "uri=" + url};
}

double median(std::vector<double> v) {
    v.erase(std::remove(v.begin(), v.end(), -1.0), v.end());
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int orchestrate(int runs, int seconds) {
    const QString self = QCoreApplication::applicationFilePath();
    QTemporaryDir pulseDir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", "unix:" + pulseDir.filePath("pulse.sock"));
    QProcess pulse;
    pulse.setProcessEnvironment(env);
    pulse.start("pulseaudio", {"--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
                               "--disallow-exit",
                               "--load=module-null-sink sink_name=nullsink rate=44100 channels=2",
                               "--load=module-native-protocol-unix socket=" +
                                   pulseDir.filePath("pulse.sock") + " auth-anonymous=1"});
    const bool havePulse =
        realstream::waitFor([&] { return QFile::exists(pulseDir.filePath("pulse.sock")); }, 5000);
    std::printf("sound output: %s\n", havePulse ? "private PulseAudio null sink"
                                                : "no PulseAudio (default sink falls back)");

    realstream::StreamServer server(true, 4);
    if (!server.ok()) {
        std::fprintf(stderr, "stream server failed: %s\n", qPrintable(server.error()));
        stop(pulse);
        return 1;
    }
    const QString url = server.url("/live.mp3");
    std::printf("stream: %s, %d start runs, %d s streaming\n", qPrintable(url), runs, seconds);
    std::fflush(stdout);

    std::vector<double> oursUrl, oursLaunch, bare;
    std::vector<double> oursUrlAudio, oursLaunchAudio, bareAudio;
    QTemporaryDir audioDir;
    const QString audioFile = audioDir.filePath("decoded.raw");
    for (int i = 0; i < runs; ++i) { // interleaved, so that drift hits both alike
        QProcess ours;
        ours.setProcessEnvironment(env);
        double inProcess = -1;
        oursLaunch.push_back(
            launchUntil(ours, self, {"--child-start", url}, [&](const QByteArray& line) {
                if (!line.startsWith("PLAYING "))
                    return false;
                inProcess = line.mid(8).toDouble();
                return true;
            }));
        oursUrl.push_back(inProcess);
        stop(ours);
        QProcess plain;
        plain.setProcessEnvironment(env);
        bare.push_back(launchUntil(plain, "stdbuf", bareArgs(url), barePlaying));
        stop(plain);

        QProcess oursAudio;
        oursAudio.setProcessEnvironment(env);
        double seenAt = -1;
        oursLaunchAudio.push_back(launchUntilAudio(
            oursAudio, self, {"--child-first-audio", url, audioFile}, audioFile, &seenAt));
        QByteArray said = oursAudio.readAllStandardOutput();
        while (!said.contains('\n') && oursAudio.waitForReadyRead(1000))
            said += oursAudio.readAllStandardOutput();
        const qsizetype at = said.indexOf("URL ");
        const double urlSetAt =
            at >= 0 ? said.mid(at + 4, said.indexOf('\n', at) - at - 4).toDouble() : -1;
        oursUrlAudio.push_back(seenAt > 0 && urlSetAt > 0 ? seenAt - urlSetAt : -1);
        stop(oursAudio);
        QProcess plainAudio;
        plainAudio.setProcessEnvironment(env);
        bareAudio.push_back(
            launchUntilAudio(plainAudio, "gst-launch-1.0",
                             {"-q", "playbin", "uri=" + url, "audio-sink=" + fileSink(audioFile)},
                             audioFile, &seenAt));
        stop(plainAudio);
    }

    auto stream = [&](bool mine) {
        QProcess p;
        p.setProcessEnvironment(env);
        const ProcStats pulseBefore = procStats(pulse.processId());
        if (mine)
            launchUntil(p, self, {"--child-stream", url},
                        [](const QByteArray& l) { return l.startsWith("PLAYING"); });
        else
            launchUntil(p, "stdbuf", bareArgs(url), barePlaying);
        realstream::spin(seconds * 1000);
        ProcStats s = procStats(p.processId());
        const double pulseCpu = procStats(pulse.processId()).cpuSeconds - pulseBefore.cpuSeconds;
        stop(p);
        return std::make_pair(s, pulseCpu);
    };
    const auto [oursStats, oursPulse] = stream(true);
    const auto [bareStats, barePulse] = stream(false);

    const double a = median(oursUrl), b = median(bare), c = median(oursLaunch);
    std::printf("\n%-40s %12s %12s %8s\n", "", "ours", "bare playbin", "ratio");
    std::printf("%-40s %12.1f %12.1f %7.2fx\n", "start, median ms (ours: URL -> state 3)", a, b,
                a / b);
    std::printf("%-40s %12.1f %12.1f %7.2fx\n", "start, median ms (launch -> playing)", c, b,
                c / b);
    const double d = median(oursUrlAudio), e = median(bareAudio), f = median(oursLaunchAudio);
    std::printf("%-40s %12.1f %12.1f %7.2fx\n", "first audio, median ms (ours: URL ->)", d, e,
                d / e);
    std::printf("%-40s %12.1f %12.1f %7.2fx\n", "first audio, median ms (launch ->)", f, e, f / e);
    std::printf("%-40s %12.2f %12.2f %7.2fx\n",
                qPrintable(QStringLiteral("CPU s over %1 s streaming").arg(seconds)),
                oursStats.cpuSeconds, bareStats.cpuSeconds,
                oursStats.cpuSeconds / bareStats.cpuSeconds);
    std::printf("%-40s %12.2f %12.2f\n", "  PulseAudio server CPU s meanwhile", oursPulse,
                barePulse);
    std::printf("%-40s %12.1f %12.1f %7.2fx\n", "peak RSS MiB while streaming",
                oursStats.peakRssMiB, bareStats.peakRssMiB,
                oursStats.peakRssMiB / bareStats.peakRssMiB);
    std::printf("goals: start ratio <= 1.10, CPU ratio <= 1.20\n");
    const auto runsLine = [](const char* label, const std::vector<double>& values) {
        std::printf("%-28s", label);
        for (double v : values)
            std::printf(" %.0f", v);
        std::printf("\n");
    };
    runsLine("start runs (ms) ours:", oursUrl);
    runsLine("                bare:", bare);
    runsLine("first audio runs (ms) ours:", oursUrlAudio);
    runsLine("                      bare:", bareAudio);
    stop(pulse);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == "--child-start")
        return childStart(args.value(2));
    if (args.value(1) == "--child-first-audio")
        return childFirstAudio(args.value(2), args.value(3));
    if (args.value(1) == "--child-stream")
        return childStream(args.value(2));
    int runs = 10, seconds = 60;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--runs")
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == "--seconds")
            seconds = std::max(1, args[i + 1].toInt());
    }
    return orchestrate(runs, seconds);
}
