// Save Settings and Save List: the bytes written, what the window shows afterwards, and
// a save that cannot be made.
#include "fake_playlist_chooser.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

using namespace window_test;
using Saving = WindowTest;

TEST_F(Saving, SaveSettingsWithEverythingEmptyAndOffWritesTwentyTwoBytes) {
    auto& w = load();
    w.mnuStartops->trigger();
    emit w.Frame4->Command1->clicked();
    EXPECT_EQ(dataBytes("Drlsets.ini"), QByteArray("\"\",\"no\",\"no\",\"\",\"no\"\r\n"));
    EXPECT_EQ(w.width(), 622);
    EXPECT_FALSE(w.mnuStartops->isChecked());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Saving, SaveSettingsWritesTheOptionsAndShowsThemAtOnceWithoutActingOnThem) {
    writeSettings(settingsFields("old-url", "Yes", "no", "Old"));
    auto& w = load();
    w.mnuStartops->trigger();
    w.Frame4->chkAtray->setChecked(true);
    w.Frame4->chkAstream->setChecked(true);
    w.Frame4->txtAbfavname->setText(" Rock, Pop ");
    w.Frame4->txtAbfavurl->setText("http://127.0.0.1:1/a,b");
    w.Command1_Click();

    EXPECT_EQ(dataBytes("Drlsets.ini"),
              QByteArray("\"http://127.0.0.1:1/a,b\",\"yes\",\"yes\",\" Rock, Pop \",\"no\"\r\n"));
    EXPECT_EQ(w.Frame5->lblAtraydisplay->text(), "ON");
    EXPECT_EQ(textColour(w.Frame5->lblAtraydisplay), QColor(0, 255, 0));
    EXPECT_EQ(w.Frame5->lblAstreamdisplay->text(), "ON");
    EXPECT_EQ(w.Frame5->lblFavdisplay->text(), " Rock, Pop ");
    EXPECT_EQ(w.width(), 622);
    EXPECT_FALSE(w.mnuStartops->isChecked());
    EXPECT_TRUE(player.calls.isEmpty()) << "options apply at the next start-up";
    EXPECT_TRUE(area.calls.empty());

    // The next start-up reads back what was saved.
    window.reset();
    auto& again = load();
    EXPECT_EQ(again.Frame4->txtAbfavname->text(), " Rock, Pop ");
    EXPECT_EQ(again.Frame4->txtAbfavurl->text(), "http://127.0.0.1:1/a,b");
    EXPECT_EQ(player.urls, QStringList({"http://127.0.0.1:1/a,b"}));
}

TEST_F(Saving, SaveSettingsTurnsAnOptionOffAgainInBlack) {
    writeSettings(settingsFields("u", "yes", "yes", "n"));
    area.available = false; // keep the window out of the tray
    auto& w = load();
    w.Frame4->chkAtray->setChecked(false);
    w.Frame4->chkAstream->setChecked(false);
    w.Command1_Click();
    EXPECT_EQ(w.Frame5->lblAtraydisplay->text(), "OFF");
    EXPECT_EQ(textColour(w.Frame5->lblAtraydisplay), QColor(0, 0, 0));
    EXPECT_EQ(w.Frame5->lblAstreamdisplay->text(), "OFF");
    EXPECT_EQ(dataBytes("Drlsets.ini"), QByteArray("\"u\",\"no\",\"no\",\"n\",\"no\"\r\n"));
}

class FailedSave : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        // A regular file where the data folder's parent should be: no save can succeed.
        const QString blocker = tmp.filePath("blocker");
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("a file, not a folder");
        file.close();
        folder = blocker + "/Dornel/";
        load();
    }
    void expectOneWarningNaming(const QString& fileName) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].prompt.contains(fileName))
            << messages.shown[0].prompt.toStdString();
        EXPECT_EQ(messages.shown[0].caption, "Korvant Lite");
        EXPECT_EQ(messages.shown[0].icon, platform::MessageBox::Icon::Warning);
        QFile blocker(tmp.filePath("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::ReadOnly));
        EXPECT_EQ(blocker.readAll(), QByteArray("a file, not a folder"));
        EXPECT_EQ(
            QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"blocker"}))
            << "nothing half-written is left behind";
    }
};

TEST_F(FailedSave, SaveSettingsWarnsNamingTheSettingsFile) {
    window->Frame4->txtAbfavname->setText("Kept In The Panel");
    window->Command1_Click();
    expectOneWarningNaming("Drlsets.ini");
    EXPECT_EQ(window->Frame4->txtAbfavname->text(), "Kept In The Panel");
}

TEST_F(FailedSave, SaveListWarnsNamingTheFavouritesFile) {
    window->Frame3->txtStaname[0]->setText("Unsaved");
    window->cmdSavefavs_Click();
    expectOneWarningNaming("Dornelfavs.dat");
    EXPECT_EQ(window->Frame3->txtStaname[0]->text(), "Unsaved");
}

class SaveList : public WindowTest {};

TEST_F(SaveList, WithEveryFieldEmptyWritesSixtyOneBytesAndShowsThePrompt) {
    auto& w = load();
    w.mnuFavslist->trigger();
    emit w.Frame3->cmdSavefavs->clicked();
    const QByteArray bytes = dataBytes("Dornelfavs.dat");
    EXPECT_EQ(bytes.size(), 61);
    EXPECT_EQ(bytes, quotedLine(QStringList(20, QString())));
    EXPECT_EQ(comboItems(), QStringList(10, QString()));
    EXPECT_EQ(combo().currentText(), "Choose A Favorite Station");
    EXPECT_EQ(w.width(), 622);
    EXPECT_FALSE(w.mnuFavslist->isChecked());
}

TEST_F(SaveList, WritesTheEditorFieldsAndRefreshesTheDropDownAndTrayCaptions) {
    writeFavourites({{"Old Zero", "o0"}, {"Old One", "o1"}});
    player.state = platform::psPlaying;
    auto& w = load();
    w.mnuStartops->trigger();
    w.mnuFavslist->trigger();
    const QStringList names = {"Jazz Cafe", "Talk 24", " Rock, Pop ", "", "", "", "",
                               "",          "",        "Last"};
    const QStringList urls = {"stream-one", "stream-two", " u,2 ", "", "", "", "", "", "", "u9"};
    for (int i = 0; i < 10; ++i) {
        w.Frame3->txtStaname[i]->setText(names[i]);
        w.Frame3->txtStaurl[i]->setText(urls[i]);
    }
    w.cmdSavefavs_Click();

    EXPECT_EQ(dataBytes("Dornelfavs.dat"), quotedLine(names + urls));
    EXPECT_EQ(comboItems(), names) << "the list is replaced, not appended to";
    EXPECT_EQ(combo().currentText(), "Choose A Favorite Station");
    EXPECT_EQ(trayCaptions(), names);
    EXPECT_EQ(w.width(), 622);
    EXPECT_FALSE(w.mnuFavslist->isChecked());
    EXPECT_FALSE(w.mnuStartops->isChecked());
    EXPECT_TRUE(player.calls.isEmpty()) << "the stream keeps playing";

    // The next start-up brings back exactly what was saved.
    window.reset();
    load();
    EXPECT_EQ(editorNames(), names);
    EXPECT_EQ(editorUrls(), urls);
    EXPECT_EQ(comboItems(), names);
    EXPECT_EQ(trayCaptions(), names);
}

TEST_F(SaveList, AnImportedPlaylistReachesTheFavouritesFileOnlyThroughSaveList) {
    writeFavourites({{"Old Zero", "o0"}, {"Old One", "o1"}});
    const QByteArray before = dataBytes("Dornelfavs.dat");
    auto& w = load();
    EXPECT_FALSE(w.Frame3->cmdImport->isEnabled()) << "no way to choose a file yet";
    testsupport::FakePlaylistChooser chooser;
    w.setPlaylistFiles(chooser, {});
    w.mnuFavslist->trigger();
    writeData("new.m3u", "#EXTM3U\n#EXTINF:-1,New One\nhttp://127.0.0.1/n1\n");
    chooser.importFile = dataFile("new.m3u");
    w.Frame3->mnuImportFile->trigger();
    EXPECT_EQ(editorNames()[0], "New One");
    EXPECT_EQ(editorNames()[1], "");
    EXPECT_EQ(dataBytes("Dornelfavs.dat"), before);
    EXPECT_EQ(comboItems()[0], "Old Zero");
    // A file needs no fetcher: Qt Network stays out of the process.
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libQt6Network"));

    emit w.Frame3->cmdSavefavs->clicked();
    EXPECT_EQ(dataBytes("Dornelfavs.dat"),
              quotedLine(favouriteFields({{"New One", "http://127.0.0.1/n1"}})));
    EXPECT_EQ(comboItems()[0], "New One");
}

TEST_F(SaveList, BytesAfterTheTwentiethFieldDisappearAtTheNextSave) {
    writeData("Dornelfavs.dat", quotedLine(favouriteFields({{"A", "a"}})) + "\"second line\"\r\n");
    auto& w = load();
    EXPECT_EQ(editorNames()[0], "A");
    w.cmdSavefavs_Click();
    EXPECT_EQ(dataBytes("Dornelfavs.dat"), quotedLine(favouriteFields({{"A", "a"}})));
}

} // namespace
