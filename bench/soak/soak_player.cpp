// Soak driver: plays one address with the real GStreamer player for a given time, its
// decoded audio going to a raw 8 kHz mono 16-bit file instead of a sound card. Every ten
// seconds it prints one line:
//   sample <seconds> state <playState> rss_kib <VmRSS> audio_s <decoded seconds since the
//   last line> tone <440 Hz share of the last half second> titles <title changes seen>
// and at the end "done". The audio file only grows, by 16 kB a second.
//
//   soak_player <address> <audio file> <seconds>
#include "platform/gst/gst_media_player.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRate = 8000;

qint64 residentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Share of the block's energy at `freq` (about 1 for a pure tone, 0 for silence), by the
// Goertzel filter.
double toneShare(const std::vector<qint16>& s, double freq) {
    if (s.empty())
        return 0;
    const double coeff = 2 * std::cos(2 * M_PI * freq / kRate);
    double q1 = 0, q2 = 0, energy = 0;
    for (const qint16 v : s) {
        const double x = v / 32768.0;
        energy += x * x;
        const double q0 = coeff * q1 - q2 + x;
        q2 = q1;
        q1 = q0;
    }
    const double power = q1 * q1 + q2 * q2 - coeff * q1 * q2;
    return energy < 1e-9 ? 0 : 2 * power / (double(s.size()) * energy);
}

// The last half second written to the raw audio file.
std::vector<qint16> lastHalfSecond(const QString& path) {
    QFile f(path);
    const qint64 bytes = kRate; // half a second of 16-bit samples
    if (!f.open(QIODevice::ReadOnly) || f.size() < bytes)
        return {};
    f.seek((f.size() - bytes) & ~qint64(1));
    const QByteArray data = f.read(bytes);
    std::vector<qint16> out(std::size_t(data.size()) / 2);
    std::memcpy(out.data(), data.constData(), out.size() * 2);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: soak_player <address> <audio file> <seconds>\n");
        return 2;
    }
    const QString audioPath = args[2];
    const int seconds = args[3].toInt();
    const QString sink = QStringLiteral("audioconvert ! audioresample ! "
                                        "audio/x-raw,format=S16LE,rate=%1,channels=1 ! "
                                        "identity sync=true ! filesink location=\"%2\" "
                                        "append=true buffer-mode=2 sync=false async=false")
                             .arg(kRate)
                             .arg(audioPath);
    platform::GstMediaPlayer player(sink);

    // Title changes show that tags keep arriving and being handled over the whole run.
    int titleChanges = 0;
    QString lastStatus;
    QObject::connect(&player, &platform::MediaPlayer::changed, [&] {
        if (player.playState() == platform::psPlaying && player.status() != lastStatus &&
            !lastStatus.isEmpty())
            ++titleChanges;
        lastStatus = player.status();
    });

    QElapsedTimer clock;
    qint64 lastBytes = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 bytes = QFileInfo(audioPath).size();
        if (bytes < lastBytes) // a file someone else replaced: count it from its start
            lastBytes = 0;
        std::printf("sample %lld state %d rss_kib %lld audio_s %.1f tone %.2f titles %d\n",
                    static_cast<long long>(clock.elapsed() / 1000), player.playState(),
                    static_cast<long long>(residentKib()),
                    double(bytes - lastBytes) / (2.0 * kRate),
                    toneShare(lastHalfSecond(audioPath), 440), titleChanges);
        std::fflush(stdout);
        lastBytes = bytes;
        if (clock.elapsed() >= qint64(seconds) * 1000) {
            std::printf("done status %s\n", qPrintable(player.status()));
            QCoreApplication::exit(0);
        }
    });
    clock.start();
    sampler.start(10000);
    player.setURL(args[1]);
    return QCoreApplication::exec();
}
