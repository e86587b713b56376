// korvant.ini: what a missing or bad value means, and that saving one option keeps the rest.
#include "common/program_options.h"
#include "environment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ProgramOptions, DefaultsAreNotificationsOnAndOneFileInTheMusicFolder) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // The user's music folder as the desktop names it, in user-dirs.dirs.
    ASSERT_TRUE(QDir().mkpath(home.filePath("config")));
    writeFile(home.filePath("config/user-dirs.dirs"), "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
    const testsupport::ScopedEnv homeEnv("HOME", home.path());
    const testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.filePath("config"));
    const QString expected = home.filePath("Tunes/Korvant Lite");
    EXPECT_EQ(common::defaultRecordingFolder(), expected);

    const common::ProgramOptions none = common::readProgramOptions(home.filePath("korvant.ini"));
    EXPECT_TRUE(none.notifications);
    EXPECT_EQ(none.recordingFolder, expected);
    EXPECT_FALSE(none.recordingFilePerTitle);

    // Values that are not of their kind, or folders that are no absolute path.
    for (const QByteArray& folder :
         {QByteArray(""), QByteArray("Music/Radio"), QByteArray("~/Radio"), QByteArray("  "),
          QByteArray("/tmp/a, /tmp/b"), QByteArray("\"/tmp/line\\nbreak\"")}) {
        writeFile(home.filePath("korvant.ini"), "[General]\nnotifications=maybe\n"
                                                "recordingFilePerTitle=often\nrecordingFolder=" +
                                                    folder + "\n");
        const common::ProgramOptions bad = common::readProgramOptions(home.filePath("korvant.ini"));
        EXPECT_TRUE(bad.notifications);
        EXPECT_EQ(bad.recordingFolder, expected) << folder.constData();
        EXPECT_FALSE(bad.recordingFilePerTitle);
    }
}

TEST(ProgramOptions, EachSavedOptionReadsBackAndKeepsEveryOtherKey) {
    // A comma makes a list of an unquoted INI value; markup and an accent are just text.
    const QString kFolder = QString::fromUtf8("/srv/radio/K\u00f6rvant, Jazz & <Co>");
    QTemporaryDir dir;
    const QString path = dir.filePath("korvant.ini");
    writeFile(path, "[General]\nlater=kept\nnotifications=false\n");
    // Read from a copy: the file's own name would answer from what this process wrote.
    const auto reread = [&] {
        QFile::remove(dir.filePath("copy.ini"));
        EXPECT_TRUE(QFile::copy(path, dir.filePath("copy.ini")));
        return common::readProgramOptions(dir.filePath("copy.ini"));
    };
    EXPECT_EQ(common::saveRecordingFolder(path, kFolder), "");
    EXPECT_EQ(common::saveRecordingFilePerTitle(path, true), "");
    common::ProgramOptions read = reread();
    EXPECT_FALSE(read.notifications) << "saving a recording option lost another";
    EXPECT_EQ(read.recordingFolder, kFolder);
    EXPECT_TRUE(read.recordingFilePerTitle);

    EXPECT_EQ(common::saveNotifications(path, true), "");
    read = reread();
    EXPECT_TRUE(read.notifications);
    EXPECT_EQ(read.recordingFolder, kFolder);
    EXPECT_TRUE(read.recordingFilePerTitle);
    EXPECT_TRUE(fileBytes(path).contains("later=kept")) << fileBytes(path).constData();
}

TEST(ProgramOptions, SayWhyTheyCannotBeSavedWhereNoFolderCanBe) {
    QTemporaryDir dir;
    writeFile(dir.filePath("Dornel"), ""); // a file where the folder should be
    EXPECT_FALSE(common::saveNotifications(dir.filePath("Dornel/korvant.ini"), false).isEmpty());
    EXPECT_FALSE(
        common::saveRecordingFolder(dir.filePath("Dornel/korvant.ini"), "/srv/radio").isEmpty());
}

} // namespace
