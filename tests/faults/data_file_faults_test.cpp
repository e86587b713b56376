// Data files under hostile conditions: a program killed in the middle of saving, a full
// disk, a read-only data folder, and huge or binary files read at start-up.
#include "common/quoted_fields.h"
#include "save_contents.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Everything in a folder but the named entries: what a save left behind.
QStringList leftovers(const QString& folder, const QStringList& expected) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : expected)
        names.removeAll(name);
    return names;
}

// ---------------------------------------------------------------------------------------
// Killed while saving

TEST(KilledWhileSaving, TheFileIsAlwaysOneWholeVersionNeverTornOrEmpty) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("Dornelfavs.dat");
    const QByteArray a = faults::contentsA();
    const QByteArray b = faults::contentsB();
    ASSERT_EQ(common::saveFileAtomically(path, a), QString());

    int sawA = 0;
    int sawB = 0;
    constexpr int kKills = 25;
    for (int round = 0; round < kKills; ++round) {
        QProcess saver;
        saver.start(QStringLiteral(KORVANT_SAVE_LOOP), {path});
        ASSERT_TRUE(saver.waitForStarted(5000));
        ASSERT_TRUE(saver.waitForReadyRead(10000)) << saver.readAllStandardError().constData();
        // Somewhere among the next saves, at a moment neither side chooses.
        QThread::usleep(QRandomGenerator::global()->bounded(1, 40000));
        saver.kill(); // SIGKILL to this child's own pid
        ASSERT_TRUE(saver.waitForFinished(5000));
        ASSERT_EQ(saver.exitStatus(), QProcess::CrashExit)
            << "the helper stopped on its own: " << saver.readAllStandardError().constData();

        const QByteArray now = readAll(path);
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size()
                                          << " bytes, starting " << now.left(40).constData();
        (now == a ? sawA : sawB)++;
        EXPECT_EQ(common::readQuotedFieldFile(path, 20).first(),
                  QString(now == a ? 8000 : 13000, QLatin1Char(now == a ? 'a' : 'b')));
    }
    // Both versions turn up, so the kills did land at different points of the loop.
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    // A kill between creating the file beside it and renaming it leaves that file behind;
    // it is never the data file itself and never read.
    const QStringList stray = leftovers(folder.path(), {"Dornelfavs.dat"});
    RecordProperty("stray_files_after_kills", static_cast<int>(stray.size()));
    EXPECT_LE(stray.size(), kKills);
}

// ---------------------------------------------------------------------------------------
// Files saved by a text editor

TEST(EditedDataFile, AByteOrderMarkIsNoPartOfTheFirstFieldAndALeadingU_FEFFInAValueIsKept) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("Drlsets.ini");
    const QStringList values{"http://127.0.0.1:8000/live", "yes", "no",
                             QString(QChar(0xFEFF)) + "Jazz", "no"};
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF" + common::quotedFieldLine(values));
    file.close();
    EXPECT_EQ(common::readQuotedFieldFile(path, 5), values);
}

// ---------------------------------------------------------------------------------------
// Full disk and read-only folder, on a small file system of their own

class SmallFileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root = folder_.path();
        if (::mount("korvant-faults", QFile::encodeName(root).constData(), "tmpfs", 0,
                    "size=64k,mode=0755") != 0)
            GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno)
                         << "); run the tests as root to check full-disk and read-only saves";
        mounted_ = true;
        path = root + "/Drlsets.ini";
        old = common::quotedFieldLine({"http://127.0.0.1:8000/old", "yes", "no", "Old", "no"});
        ASSERT_EQ(common::saveFileAtomically(path, old), QString());
    }
    void TearDown() override {
        if (mounted_)
            ::umount2(QFile::encodeName(root).constData(), MNT_DETACH);
    }
    bool remountReadOnly() {
        return ::mount(nullptr, QFile::encodeName(root).constData(), nullptr,
                       MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    // Fills the file system to the last byte with a file of its own.
    void fill() {
        const int fd = ::open(QFile::encodeName(root + "/filler").constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), block.size()) > 0) {
        }
        const int why = errno;
        char byte = 'f';
        while (::write(fd, &byte, 1) == 1) {
        }
        ::close(fd);
        ASSERT_EQ(why, ENOSPC);
    }

    QString root;
    QString path;
    QByteArray old;

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
};

TEST_F(SmallFileSystem, ASaveOnAFullDiskGivesAReasonAndLeavesTheOldFileWhole) {
    fill();
    for (const qsizetype size : {qsizetype(10), qsizetype(32 * 1024)}) {
        const QString why = common::saveFileAtomically(path, QByteArray(size, 'n'));
        EXPECT_FALSE(why.trimmed().isEmpty()) << size << " bytes reported as saved";
        RecordProperty(QStringLiteral("full_disk_reason_%1").arg(size).toStdString(),
                       why.toStdString());
        EXPECT_EQ(readAll(path), old) << size << " bytes";
        EXPECT_EQ(leftovers(root, {"Drlsets.ini", "filler"}), QStringList()) << size << " bytes";
    }
    // Once there is room again, saving works again.
    ASSERT_TRUE(QFile::remove(root + "/filler"));
    const QByteArray fresh = common::quotedFieldLine({"http://127.0.0.1/new", "no"});
    EXPECT_EQ(common::saveFileAtomically(path, fresh), QString());
    EXPECT_EQ(readAll(path), fresh);
}

TEST_F(SmallFileSystem, ASaveToAReadOnlyFolderGivesAReasonAndLeavesTheOldFileWhole) {
    if (!remountReadOnly())
        GTEST_SKIP() << "cannot make the small file system read-only (" << std::strerror(errno)
                     << ")";
    const QString why = common::saveFileAtomically(path, "\"new\"\r\n");
    EXPECT_FALSE(why.trimmed().isEmpty());
    RecordProperty("read_only_reason", why.toStdString());
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(common::readQuotedFieldFile(path, 5)[3], "Old");

    // A missing folder cannot be made there either, and says so.
    const QString inMissing = common::saveFileAtomically(root + "/Dornel/Dornelfavs.dat", "x");
    EXPECT_FALSE(inMissing.trimmed().isEmpty());
    EXPECT_FALSE(QFile::exists(root + "/Dornel"));
}

// ---------------------------------------------------------------------------------------
// Huge and binary files read at start-up

// Peak resident memory since the last reset, in KiB, from /proc/self/status.
long peakKib(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(std::strlen(key)))
                .trimmed()
                .split(' ')
                .first()
                .toLong();
    return -1;
}

// Starts a new peak measurement from the current resident size.
bool resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

struct HugeFile {
    const char* name;
    QByteArray head;  // written first
    QByteArray chunk; // repeated to fill 100 MB; empty for a file of NUL bytes
    QByteArray tail;  // written last
};

void PrintTo(const HugeFile& file, std::ostream* os) {
    *os << file.name;
}

class HugeDataFile : public ::testing::TestWithParam<HugeFile> {};

constexpr qint64 kHugeBytes = 100LL * 1024 * 1024;

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(20261208);
    for (char& c : bytes)
        c = static_cast<char>(generator.bounded(256));
    return bytes;
}

TEST_P(HugeDataFile, IsReadInBoundedTimeAndMemory) {
    const HugeFile& kind = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("Dornelfavs.dat");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(kind.head), kind.head.size());
        if (kind.chunk.isEmpty()) {
            ASSERT_TRUE(file.resize(kHugeBytes)); // a sparse file of NUL bytes
            ASSERT_TRUE(file.seek(kHugeBytes));
        } else {
            for (qint64 written = 0; written < kHugeBytes; written += kind.chunk.size())
                ASSERT_EQ(file.write(kind.chunk), kind.chunk.size());
        }
        ASSERT_EQ(file.write(kind.tail), kind.tail.size());
    }

    if (!resetPeak())
        GTEST_SKIP() << "/proc/self/clear_refs cannot reset the peak memory here";
    const long before = peakKib("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    const QStringList fields = common::readQuotedFieldFile(path, 20);
    const qint64 ms = timer.elapsed();
    const long growthKib = peakKib("VmHWM:") - before;

    ASSERT_EQ(fields.size(), 20);
    for (const QString& field : fields)
        EXPECT_LE(field.size(), common::kMaxFieldBytes);
    RecordProperty("read_ms", static_cast<int>(ms));
    RecordProperty("peak_growth_kib", static_cast<int>(growthKib));
    // Generous bounds that a reader which keeps the file or scans it more than once
    // cannot meet; the speed itself is watched by the benchmarks.
    EXPECT_LT(ms, 10000) << kind.name;
    EXPECT_LT(growthKib, 20 * 1024) << kind.name;
    std::printf("%s: %lld ms, peak growth %ld KiB\n", kind.name, static_cast<long long>(ms),
                growthKib);
}

INSTANTIATE_TEST_SUITE_P(
    StartUp, HugeDataFile,
    ::testing::Values(HugeFile{"BinaryGarbage", {}, randomBytes(1024 * 1024), {}},
                      HugeFile{"NulBytes", {}, {}, {}},
                      HugeFile{"NoLineEnd", "\"Radio\",", QByteArray(1024 * 1024, 'x'), {}},
                      HugeFile{"OpenQuoteNeverClosed", "\"", QByteArray(1024 * 1024, 'y'), {}},
                      HugeFile{"SingleQuoteAtTheEnd", {}, QByteArray(1024 * 1024, 'z'), "\""}),
    [](const ::testing::TestParamInfo<HugeFile>& param) { return std::string(param.param.name); });

} // namespace
