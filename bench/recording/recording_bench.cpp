// What recording costs: the player plays a loopback Icecast mount (decoded at the pace of
// the clock into a fake output) and, on the same connection, spends alternate windows
// playing alone and playing while recording to a file. The process's CPU time over each
// window is taken; the rounds interleave the two so that a busy machine weighs on both.
//
//   recording_bench [--rounds N] [--seconds S] [--mount /live.mp3]
//   (or BENCH_RECORDING_ROUNDS, BENCH_RECORDING_SECONDS; defaults 3 rounds of 30 s a side)
#include "platform/gst/gst_media_player.h"
#include "stream_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

using platform::GstMediaPlayer;
using namespace realstream;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int option(const QStringList& args, const QString& name, const char* env, int fallback) {
    const qsizetype at = args.indexOf(name);
    if (at >= 0 && at + 1 < args.size())
        return args.at(at + 1).toInt();
    return qEnvironmentVariableIsSet(env) ? qEnvironmentVariableIntValue(env) : fallback;
}

// CPU seconds per minute over one window of the given length.
double window(int seconds) {
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    spin(seconds * 1000);
    return (cpuSeconds() - before) / (double(wall.elapsed()) / 60000.0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rounds = std::max(1, option(args, "--rounds", "BENCH_RECORDING_ROUNDS", 3));
    const int seconds = std::max(10, option(args, "--seconds", "BENCH_RECORDING_SECONDS", 30));
    const qsizetype m = args.indexOf("--mount");
    const QString mount = m >= 0 && m + 1 < args.size() ? args.at(m + 1) : "/live.mp3";

    StreamServer server;
    if (!server.ok()) {
        std::fprintf(stderr, "no stream server: %s\n", qPrintable(server.error()));
        return 1;
    }
    QTemporaryDir folder;
    GstMediaPlayer player(QStringLiteral("fakesink sync=true"));
    player.setURL(server.url(mount));
    if (!waitFor([&] { return player.playState() == platform::psPlaying; }, 15000)) {
        std::fprintf(stderr, "the mount did not play: %s\n", qPrintable(player.status()));
        return 1;
    }
    spin(3000); // past the start and the server's burst
    std::printf("recording bench: %s, %d rounds of %d s a side, on one connection\n",
                qPrintable(mount), rounds, seconds);
    double alone = 0, recording = 0;
    qint64 bytes = 0;
    std::vector<double> ratios;
    for (int round = 1; round <= rounds; ++round) {
        // Alone, recording, recording, alone: a load that rises or falls through the round
        // weighs on both sides alike.
        const double a1 = window(seconds / 2);
        player.startRecording({folder.path(), QStringLiteral("Bench"), false});
        const double r = (window(seconds / 2) + window(seconds - seconds / 2)) / 2;
        bytes += player.recording().bytes;
        const QString error = player.recording().error;
        player.stopRecording();
        const double a = (a1 + window(seconds - seconds / 2)) / 2;
        if (!error.isEmpty() || player.playState() != platform::psPlaying) {
            std::fprintf(stderr, "round %d failed: %s / %s\n", round, qPrintable(error),
                         qPrintable(player.status()));
            return 1;
        }
        std::printf("round %d: CPU s per minute playing %.3f, playing and recording %.3f\n", round,
                    a, r);
        std::fflush(stdout);
        alone += a;
        recording += r;
        ratios.push_back(r / a);
    }
    std::sort(ratios.begin(), ratios.end());
    const double medianRatio =
        ratios.size() % 2 ? ratios[ratios.size() / 2]
                          : (ratios[ratios.size() / 2 - 1] + ratios[ratios.size() / 2]) / 2;
    alone /= rounds;
    recording /= rounds;
    std::printf("bytes recorded: %lld over %d s\n", static_cast<long long>(bytes),
                rounds * seconds);
    std::printf("CPU s per minute, mean: recording %.3f playing %.3f ratio %.3f\n", recording,
                alone, alone > 0 ? recording / alone : 0.0);
    std::printf("median of the rounds' ratios %.3f\n", medianRatio);
    std::printf("goal: ratio <= 1.05\n");
    return 0;
}
