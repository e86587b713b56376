#pragma once

// Launch text built to be dangerous if any command interpreter ever saw it, and a fixture
// that runs in a scratch working folder so that any injected relative command would leave
// its marker there.

#include "platform/web/qt_shell.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace faults {

// Every injected command would create one of these names in the working folder.
inline const QStringList kMarkers{"pwned1", "pwned2", "pwned3", "pwned4", "pwned5", "pwned6"};

// A folder name no command interpreter could take literally.
inline const QString kHostileFolder =
    QStringLiteral("Korvant 'Lite' \"x\"; $(touch pwned1) `touch pwned2` & touch pwned3 | >q <q *");

// An address that would run commands if any interpreter saw it.
inline const QString kHostileAddress =
    QStringLiteral("http://127.0.0.1:8080/a b/'q'\"d\";$(touch pwned4)`touch pwned5`?x=1;y=$(touch "
                   "pwned6)&z=`id`#top");

class HostileLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(scratch.path()));
    }
    void TearDown() override { QDir::setCurrent(previous); }

    QString makeProgramFile() {
        const QString folder = scratch.filePath(kHostileFolder);
        EXPECT_TRUE(QDir().mkpath(folder));
        const QString path = folder + "/Stations $(id).txt";
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    void expectNoMarkers() {
        for (const QString& marker : kMarkers) {
            EXPECT_FALSE(QFile::exists(scratch.filePath(marker))) << marker.toStdString();
            EXPECT_FALSE(QFile::exists(scratch.filePath(kHostileFolder + "/" + marker)))
                << marker.toStdString();
        }
    }

    QTemporaryDir scratch;
    QString previous;
    platform::QtShell shell;
};

} // namespace faults
