#pragma once

// A main window's links menu, a temporary data folder and the platform fakes, ready for
// a Links subsystem to be made over them.
#include "fakes.h"
#include "links/frm_pindle.h"
#include "links/links.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace links_test {

inline const QString kCommunity = QStringLiteral(TEST_COMMUNITY_HOST);
inline const QString kFerrow = QStringLiteral(TEST_FERROW_HOST);
inline const QString kFirstPage =
    QStringLiteral("http://") + kCommunity + QStringLiteral("/manage_events_picker.php");

// The record's bytes as the links file holds them.
inline QByteArray recordLine(const QStringList& fields) {
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += '"' + fields[i].toUtf8() + '"';
    }
    return line + "\r\n";
}

inline const QStringList kSavedRecord = {"Radio Friends",
                                         "Chat",
                                         "Updates",
                                         "Umon",
                                         "Vimble",
                                         "Fifth",
                                         "http://127.0.0.1:1/chat",
                                         "http://127.0.0.1:1/updates",
                                         "http://127.0.0.1:1/umon",
                                         "http://127.0.0.1:1/vimble",
                                         "http://127.0.0.1:1/fifth"};

class LinksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        window.setWindowTitle("Korvant");
        menu.mnuPstuff = window.menuBar()->addMenu("PindleChat");
        const char* captions[] = {"Stuff", "Check for Updates", "Start KeltUmon", "Launch Vimble",
                                  "..."};
        for (int i = 0; i < 5; ++i)
            menu.entries[i] = menu.mnuPstuff->addAction(captions[i]);
    }

    QString dataFolder() const { return folder.path() + "/Dornel/"; }
    QString linksFile() const { return dataFolder() + "links.dat"; }

    void writeLinksFile(const QByteArray& bytes) {
        QDir().mkpath(dataFolder());
        QFile file(linksFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray linksFileBytes() const {
        QFile file(linksFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    links::Links& makeLinks() {
        links = std::make_unique<links::Links>(menu, dataFolder(), browsers, shell, messages);
        return *links;
    }

    QStringList captions() const {
        QStringList result{menu.mnuPstuff->title()};
        for (QAction* entry : menu.entries)
            result << entry->text();
        return result;
    }

    // Lets a closed window be destroyed, as the event loop would.
    static void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    QTemporaryDir folder;
    QMainWindow window;
    links::LinksMenu menu{};
    fakes::FakeWebBrowserFactory browsers;
    fakes::FakeShell shell;
    fakes::FakeMessageBox messages;
    std::unique_ptr<links::Links> links;
};

} // namespace links_test
