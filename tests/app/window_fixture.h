#pragma once

// A main window over the platform fakes and a temporary data folder, for tests that
// drive it as the user would.
#include "fakes.h"

#include "app/frm_tanro.h"
#include "app/main_panel.h"
#include "app/startup_options_panel.h"
#include "common/click_label.h"
#include "favourites/favourites_editor.h"
#include "tray/tray_menu.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace window_test {

inline QByteArray quotedLine(const QStringList& fields) {
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i)
        line += (i > 0 ? ",\"" : "\"") + fields[i].toUtf8() + '"';
    return line + "\r\n";
}

// Twenty favourites fields from up to ten (name, url) pairs; the rest stay empty.
inline QStringList favouriteFields(const QList<QPair<QString, QString>>& stations) {
    QStringList fields;
    for (int i = 0; i < 20; ++i)
        fields << QString();
    for (int i = 0; i < stations.size(); ++i) {
        fields[i] = stations[i].first;
        fields[10 + i] = stations[i].second;
    }
    return fields;
}

inline QStringList settingsFields(const QString& url, const QString& tray, const QString& stream,
                                  const QString& name, const QString& update = "no") {
    return {url, tray, stream, name, update};
}

inline QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }

    void TearDown() override {
        if (window && window->mnuMenu->isVisible())
            window->mnuMenu->hide();
        window.reset();
    }

    QString dataFolder() const { return folder.isEmpty() ? tmp.path() + "/Dornel/" : folder; }
    QString dataFile(const QString& name) const { return dataFolder() + name; }

    void writeData(const QString& name, const QByteArray& bytes) {
        ASSERT_TRUE(QDir().mkpath(dataFolder()));
        QFile file(dataFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    void writeFavourites(const QList<QPair<QString, QString>>& stations) {
        writeData("Dornelfavs.dat", quotedLine(favouriteFields(stations)));
    }
    void writeSettings(const QStringList& fields) { writeData("Drlsets.ini", quotedLine(fields)); }

    QByteArray dataBytes(const QString& name) const {
        QFile file(dataFile(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    app::frmTANRO& make() {
        window = std::make_unique<app::frmTANRO>(
            app::PlatformParts{player, area, shell, browsers, messages, folders, dataFolder(),
                               QStringLiteral("127.0.0.1"), [this] {
                                   ++endCalls;
                                   iconsAtEnd = int(area.icons.size());
                               }});
        return *window;
    }
    // Makes the window and runs its start-up, as the program does before showing it.
    app::frmTANRO& load() {
        make().Form_Load();
        return *window;
    }
    // Shows the window and makes it the active one, so that focus moves can be seen.
    void showActive() {
        window->show();
        QApplication::setActiveWindow(window.get());
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QComboBox& combo() const { return *window->Frame5->Combo1; }
    QStringList comboItems() const {
        QStringList items;
        for (int i = 0; i < combo().count(); ++i)
            items << combo().itemText(i);
        return items;
    }
    QStringList trayCaptions() const {
        QStringList captions;
        for (QAction* a : window->mnuMenu->mnuSta)
            captions << a->text();
        return captions;
    }
    QStringList editorNames() const {
        QStringList names;
        for (QLineEdit* e : window->Frame3->txtStaname)
            names << e->text();
        return names;
    }
    QStringList editorUrls() const {
        QStringList urls;
        for (QLineEdit* e : window->Frame3->txtStaurl)
            urls << e->text();
        return urls;
    }
    QString status() const { return window->mnuMenu->mnuStats->text(); }
    int addCalls() const {
        return int(std::count_if(area.calls.begin(), area.calls.end(),
                                 [](const auto& c) { return c.message == platform::NIM_ADD; }));
    }

    QTemporaryDir tmp;
    QString folder; // overrides the data folder when set; ends with a slash
    fakes::FakeMediaPlayer player;
    fakes::FakeNotifyArea area;
    fakes::FakeShell shell;
    fakes::FakeWebBrowserFactory browsers;
    fakes::FakeMessageBox messages;
    fakes::FakeFolderChooser folders;
    int endCalls = 0;
    int iconsAtEnd = -1;
    std::unique_ptr<app::frmTANRO> window;
};

} // namespace window_test
