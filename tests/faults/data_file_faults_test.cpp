// Data files under hostile conditions: a program killed in the middle of saving, a full
// disk, a read-only data folder, huge or binary files read at start-up, things that are
// no files in a data file's place, and files that cannot be read.
#include "common/data_folder.h"
#include "common/quoted_fields.h"
#include "save_contents.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/time.h>
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

// Sets a file's modification time `seconds` into the past, as if it had lain there.
bool age(const QString& path, int seconds) {
    timeval times[2]{};
    gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    return ::lutimes(QFile::encodeName(path).constData(), times) == 0;
}

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
    // Once stale, the next save removes them, but for one whose random name reads like a
    // word (about one in twenty), which is kept as a person's copy would be.
    QStringList wordLike;
    for (const QString& name : stray) {
        ASSERT_TRUE(age(folder.filePath(name), 3600)) << name.toStdString();
        if (!common::isRandomTemporarySuffix(QFileInfo(name).suffix()))
            wordLike << name;
    }
    ASSERT_EQ(common::saveFileAtomically(path, a), QString());
    EXPECT_EQ(leftovers(folder.path(), {"Dornelfavs.dat"}), wordLike);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(KilledWhileSaving, TheNextSaveRemovesTheStaleTemporariesOfThatFileAndNothingElse) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("Dornelfavs.dat");
    ASSERT_EQ(common::saveFileAtomically(path, faults::contentsA()), QString());
    // What a save killed between naming its temporary and renaming it leaves: a file
    // named by the same generator the save uses, holding part of a record. (Where the
    // file system has unnamed temporary files such a window is too short for kills to
    // hit reliably, so the test makes the leftovers itself.)
    QStringList stray;
    for (int i = 0; i < 3; ++i) {
        QTemporaryFile temporary(path + ".XXXXXX");
        temporary.setAutoRemove(false);
        ASSERT_TRUE(temporary.open());
        // The one in twenty that reads like a word is kept on purpose (see below).
        if (!common::isRandomTemporarySuffix(QFileInfo(temporary.fileName()).suffix())) {
            temporary.remove();
            --i;
            continue;
        }
        ASSERT_EQ(temporary.write(faults::contentsB().left(1000 * (i + 1))), 1000 * (i + 1));
        temporary.close();
        stray << QFileInfo(temporary.fileName()).fileName();
        ASSERT_TRUE(age(temporary.fileName(), 3600));
    }

    // Names like ours that are not ours, and one of ours too recent to be stale (another
    // copy of the program may be writing it this moment).
    const QStringList others{
        "Dornelfavs.dat.bak",     "Dornelfavs.dat.Backup", "Dornelfavs.dat.BACKUP",
        "Dornelfavs.dat.abcdefg", "Dornelfavs.dat.abc12z", "Drlsets.ini.AbCdEf",
        "xDornelfavs.dat.AbCdEf", "Dornelfavs.datAbCdEfG", "Dornelfavs.dat.Recent"};
    for (const QString& name : others) {
        writeFile(folder.filePath(name), "keep");
        if (name != "Dornelfavs.dat.Recent") {
            ASSERT_TRUE(age(folder.filePath(name), 3600));
        }
    }
    // A link named like a temporary of ours, to a file elsewhere, is no temporary of ours.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    writeFile(elsewhere.filePath("target"), "keep");
    ASSERT_TRUE(
        QFile::link(elsewhere.filePath("target"), folder.filePath("Dornelfavs.dat.LnKtoX")));
    ASSERT_TRUE(age(folder.filePath("Dornelfavs.dat.LnKtoX"), 3600));

    ASSERT_EQ(common::saveFileAtomically(path, faults::contentsB()), QString());
    EXPECT_EQ(readAll(path), faults::contentsB());
    QStringList expected = others;
    expected << "Dornelfavs.dat.LnKtoX";
    expected.sort();
    QStringList now = leftovers(folder.path(), {"Dornelfavs.dat"});
    now.sort();
    EXPECT_EQ(now, expected) << "left behind by the kills: " << stray.join(' ').toStdString();
    EXPECT_EQ(readAll(elsewhere.filePath("target")), "keep");
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

// ---------------------------------------------------------------------------------------
// Things that are no files in a data file's place, and files that cannot be read

// Runs `read` on a thread of its own and gives it `seconds`; a read that blocks on the
// named pipe at `fifo` is then freed by opening the pipe's other end, so a regression
// fails the test instead of hanging it.
template <typename Read> auto readWithin(int seconds, const QString& fifo, Read read) {
    auto result = std::async(std::launch::async, read);
    if (result.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        ADD_FAILURE() << "the read was still blocked after " << seconds << " s";
    }
    return result.get();
}

// What stands at a path, told apart well enough to see that nothing replaced it.
QString standing(const QString& path) {
    struct stat seen {};
    if (::lstat(QFile::encodeName(path).constData(), &seen) != 0)
        return QStringLiteral("nothing");
    const QFileInfo info(path);
    return QStringLiteral("inode %1 mode %2 size %3 link %4")
        .arg(seen.st_ino)
        .arg(seen.st_mode, 0, 8)
        .arg(seen.st_size)
        .arg(info.isSymLink() ? info.symLinkTarget() : QString());
}

// What stands in a data file's place in each case, and how it is made there.
struct NotAFile {
    const char* name;
    bool (*make)(const QString& path);
    bool worksAsRoot; // permission bits do not stop root
};

void PrintTo(const NotAFile& kind, std::ostream* os) {
    *os << kind.name;
}

const NotAFile kNotFiles[] = {
    {"Folder", [](const QString& path) { return QDir().mkpath(path); }, true},
    {"NamedPipe",
     [](const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0; },
     true},
    {"LinkToDevZero", [](const QString& path) { return QFile::link("/dev/zero", path); }, true},
    // A regular file whose every read fails: the reader's own memory, which has nothing
    // at offset 0.
    {"LinkToAFileThatFailsEveryRead",
     [](const QString& path) { return QFile::link("/proc/self/mem", path); }, true},
    {"NoReadPermission",
     [](const QString& path) {
         QFile file(path);
         return file.open(QIODevice::WriteOnly) && file.write("\"kept\"\r\n") == 8 &&
                // Writable by all, so that only the program's own care stops a save.
                file.setPermissions(QFileDevice::WriteOwner | QFileDevice::WriteGroup |
                                    QFileDevice::WriteOther);
     },
     false},
};

class UnreadableDataFile : public ::testing::TestWithParam<NotAFile> {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        path = folder.filePath("Dornelfavs.dat");
        if (!GetParam().worksAsRoot && ::geteuid() == 0)
            GTEST_SKIP() << "running as root, whom permission bits do not stop; the start-up "
                            "test runs this case as an ordinary user, and the other kinds of "
                            "unreadable file cover the same path here";
        ASSERT_TRUE(GetParam().make(path));
    }
    QString what() const { return standing(path); }

    QTemporaryDir folder;
    QString path;
};

TEST_P(UnreadableDataFile, IsReadAsEmptyWithAReasonAtOnceAndNeverSavedOver) {
    QElapsedTimer timer;
    timer.start();
    const common::DataFileRead read =
        readWithin(30, path, [this] { return common::readDataFile(path, 20); });
    RecordProperty("read_ms", static_cast<int>(timer.elapsed()));
    EXPECT_EQ(read.fields, QStringList(20, QString()));
    EXPECT_FALSE(read.problem.trimmed().isEmpty()) << "read silently as an empty file";
    EXPECT_LT(timer.elapsed(), 10000);
    RecordProperty("problem", read.problem.toStdString());

    const QString before = what();
    const QString why = common::saveFileAtomically(path, faults::contentsA());
    EXPECT_FALSE(why.trimmed().isEmpty()) << "an unreadable file was saved over unasked";
    RecordProperty("save_refused", why.toStdString());
    EXPECT_EQ(what(), before);
    EXPECT_EQ(QDir(folder.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"Dornelfavs.dat"}))
        << "the refused save left a file behind";
}

TEST_P(UnreadableDataFile, IsSavedAgainOnceMovedAwayOrReadAfterAll) {
    (void)readWithin(30, path, [this] { return common::readDataFile(path, 20); });
    // Put right by the user while the program runs: still never read, so still kept.
    ASSERT_TRUE(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
    writeFile(path, "\"unseen\"\r\n");
    EXPECT_FALSE(common::saveFileAtomically(path, faults::contentsA()).isEmpty())
        << "a file the program never saw was saved over";
    EXPECT_EQ(readAll(path), "\"unseen\"\r\n");
    // Once read, what it held has been shown, and saving replaces it as usual.
    EXPECT_EQ(common::readDataFile(path, 20).fields.first(), "unseen");
    EXPECT_EQ(common::saveFileAtomically(path, faults::contentsA()), QString());
    EXPECT_EQ(readAll(path), faults::contentsA());
    // And an unreadable file moved away leaves nothing to lose.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(GetParam().make(path));
    (void)readWithin(30, path, [this] { return common::readDataFile(path, 20); });
    ASSERT_TRUE(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
    EXPECT_EQ(common::saveFileAtomically(path, faults::contentsB()), QString());
    EXPECT_EQ(readAll(path), faults::contentsB());
}

INSTANTIATE_TEST_SUITE_P(InPlaceOfAFile, UnreadableDataFile, ::testing::ValuesIn(kNotFiles),
                         [](const ::testing::TestParamInfo<NotAFile>& param) {
                             return std::string(param.param.name);
                         });

TEST(DataFileBytes, AHugeSparseFileGivesItsFirstMebibyteAtOnce) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("Dornelfavs.dat");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write("\"Radio\","), 8);
        if (!file.resize(20LL * 1024 * 1024 * 1024))
            GTEST_SKIP() << "this file system holds no 20 GB sparse file";
    }
    QElapsedTimer timer;
    timer.start();
    const common::FileBytes read = common::readDataFileBytes(path);
    RecordProperty("read_ms", static_cast<int>(timer.elapsed()));
    EXPECT_EQ(read.state, common::FileBytes::State::Read);
    EXPECT_EQ(read.bytes.size(), common::kMaxDataFileBytes);
    EXPECT_TRUE(read.bytes.startsWith("\"Radio\","));
    EXPECT_EQ(common::readDataFile(path, 2).fields.first(), "Radio");
}

// ---------------------------------------------------------------------------------------
// The whole start-up on a hostile data folder, in a process of its own

struct ProbeRun {
    bool finished = false;
    qint64 shownMs = -1;
    long peakRssKib = -1;
    long cpuMs = -1;
    QString linksMenu;
    QStringList messages;
    QString output;
};

// The user "nobody", whom permission bits do stop.
constexpr uid_t kNobody = 65534;

// Runs the start-up probe on `folder`; a start-up that hangs is killed at the deadline.
// `asNobody` (when run as root) runs it as an ordinary user.
ProbeRun startUp(const QString& folder, const QStringList& extra = {}, bool asNobody = false) {
    QProcess probe;
    if (asNobody)
        probe.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(3);
        });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(KORVANT_STARTUP_PROBE), QStringList{folder} + extra);
    ProbeRun run;
    if (!probe.waitForStarted(10000))
        return run;
    run.finished = probe.waitForFinished(60000) && probe.exitStatus() == QProcess::NormalExit &&
                   probe.exitCode() == 0;
    if (probe.state() != QProcess::NotRunning) {
        probe.kill(); // this probe's own pid
        probe.waitForFinished(10000);
    }
    run.output = QString::fromUtf8(probe.readAllStandardOutput() + probe.readAllStandardError());
    for (const QString& line : run.output.split('\n')) {
        const QString value = line.section(' ', 1);
        if (line.startsWith("shown_ms "))
            run.shownMs = value.toLongLong();
        else if (line.startsWith("peak_rss_kib "))
            run.peakRssKib = value.toLong();
        else if (line.startsWith("cpu_ms "))
            run.cpuMs = value.toLong();
        else if (line.startsWith("links_menu "))
            run.linksMenu = value;
        else if (line.startsWith("message "))
            run.messages << value;
    }
    return run;
}

const QStringList kStartUpFiles{"Drlsets.ini", "Dornelfavs.dat", "links.dat", "stationbanner.jpg"};

class HostileDataFolder : public ::testing::TestWithParam<NotAFile> {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        folder = tmp.filePath("Dornel");
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    void record(const ProbeRun& run) {
        RecordProperty("shown_ms", static_cast<int>(run.shownMs));
        RecordProperty("peak_rss_kib", static_cast<int>(run.peakRssKib));
        RecordProperty("cpu_ms", static_cast<int>(run.cpuMs));
        std::printf("shown after %lld ms, peak %ld KiB, %ld ms of processor time\n",
                    static_cast<long long>(run.shownMs), run.peakRssKib, run.cpuMs);
    }
    QTemporaryDir tmp;
    QString folder;
};

TEST_P(HostileDataFolder, TheWindowAppearsAtOnceAndOneMessageNamesEveryFileNotRead) {
    // Root reads anything, so a file root may not read is tried by an ordinary user, in
    // a folder that user may write to (so that only the program's own care stops a save).
    const bool asNobody = !GetParam().worksAsRoot && ::geteuid() == 0;
    if (asNobody) {
        ASSERT_TRUE(QFile::setPermissions(tmp.path(),
                                          QFile::permissions(tmp.path()) | QFileDevice::ExeOther));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    }
    for (const QString& name : kStartUpFiles)
        ASSERT_TRUE(GetParam().make(folder + "/" + name)) << name.toStdString();
    QStringList before;
    for (const QString& name : kStartUpFiles)
        before << standing(folder + "/" + name);
    const ProbeRun run = startUp(folder, {"save"}, asNobody);
    ASSERT_TRUE(run.finished) << "start-up hung or failed:\n" << run.output.toStdString();
    record(run);
    // A second is the goal; this bound leaves room for a busy machine, not for a reader
    // that blocks or reads on.
    EXPECT_LT(run.shownMs, 15000);
    ASSERT_GE(run.messages.size(), 1) << run.output.toStdString();
    const QString& startUpMessage = run.messages.first();
    for (const QString& name : kStartUpFiles)
        EXPECT_EQ(startUpMessage.count(name), 1)
            << name.toStdString() << " in: " << startUpMessage.toStdString();
    EXPECT_EQ(run.linksMenu, "PindleChat") << "the links menu lost its title";
    // Then the two saves each refuse with a reason of their own, and nothing was replaced.
    const QStringList saves = run.messages.mid(1);
    ASSERT_EQ(saves.size(), 2) << run.output.toStdString();
    EXPECT_TRUE(saves[0].contains("Dornelfavs.dat")) << saves[0].toStdString();
    EXPECT_TRUE(saves[1].contains("Drlsets.ini")) << saves[1].toStdString();
    QStringList after;
    for (const QString& name : kStartUpFiles)
        after << standing(folder + "/" + name);
    EXPECT_EQ(after, before) << "a file that could not be read was replaced";
}

INSTANTIATE_TEST_SUITE_P(StartUp, HostileDataFolder, ::testing::ValuesIn(kNotFiles),
                         [](const ::testing::TestParamInfo<NotAFile>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(HostileDataFolder, AHugeSparseFavouritesFileStillShowsTheWindowAtOnce) {
    {
        QFile file(folder + "/Dornelfavs.dat");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write("\"Radio\","), 8);
        if (!file.resize(20LL * 1024 * 1024 * 1024))
            GTEST_SKIP() << "this file system holds no 20 GB sparse file";
    }
    const ProbeRun run = startUp(folder);
    ASSERT_TRUE(run.finished) << "start-up hung or failed:\n" << run.output.toStdString();
    record(run);
    EXPECT_LT(run.shownMs, 15000);
    EXPECT_EQ(run.messages, QStringList()) << "a regular file is no unreadable one";
}

} // namespace
