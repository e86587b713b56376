// Start-up: what the window shows and asks of the player and the tray after Form_Load,
// from the settings and favourites files as found.
#include "window_fixture.h"

#include <QCheckBox>

namespace {

using namespace window_test;
using StartUp = WindowTest;

const QColor kBlack(0, 0, 0);
const QColor kPureGreen(0, 255, 0);

TEST_F(StartUp, WithBothOptionsOffShowsThePromptLeavesThePlayerIdleAndStaysOutOfTheTray) {
    writeSettings(settingsFields("http://127.0.0.1:1/fav", "no", "no", "Fav"));
    auto& w = load();
    EXPECT_EQ(combo().currentText(), "Choose A Favorite Station.");
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_FALSE(w.isInTray());
    EXPECT_TRUE(area.calls.empty());
    EXPECT_FALSE(w.windowState() & Qt::WindowMinimized);
    for (QLabel* display : {w.Frame5->lblAtraydisplay, w.Frame5->lblAstreamdisplay}) {
        EXPECT_EQ(display->text(), "OFF");
        EXPECT_EQ(textColour(display), kBlack);
    }
    EXPECT_FALSE(w.Frame4->chkAtray->isChecked());
    EXPECT_FALSE(w.Frame4->chkAstream->isChecked());
    EXPECT_EQ(w.Frame5->lblFavdisplay->text(), "Fav");
    EXPECT_EQ(w.Frame4->txtAbfavname->text(), "Fav");
    EXPECT_EQ(w.Frame4->txtAbfavurl->text(), "http://127.0.0.1:1/fav");
    EXPECT_EQ(w.width(), 622);
}

TEST_F(StartUp, FlagsInOtherLetterCasesCountAsOff) {
    for (const QString flag : {"Yes", "YES", " yes", "1", "on"}) {
        SCOPED_TRACE(flag.toStdString());
        player.calls.clear();
        area.calls.clear();
        writeSettings(settingsFields("http://127.0.0.1:1/fav", flag, flag, "Fav"));
        auto& w = load();
        EXPECT_TRUE(player.calls.isEmpty());
        EXPECT_FALSE(w.isInTray());
        EXPECT_TRUE(area.calls.empty());
        EXPECT_EQ(w.Frame5->lblAtraydisplay->text(), "OFF");
        EXPECT_EQ(w.Frame5->lblAstreamdisplay->text(), "OFF");
        EXPECT_EQ(combo().currentText(), "Choose A Favorite Station.");
    }
}

TEST_F(StartUp, WithTheTrayOptionOnTheWindowGoesToTheTrayWithOneIcon) {
    writeSettings(settingsFields("", "yes", "no", ""));
    auto& w = load();
    EXPECT_TRUE(w.isInTray());
    EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(w.isVisible());
    ASSERT_EQ(area.calls.size(), 2u) << "start-up sends the window to the tray twice";
    EXPECT_EQ(area.calls[0].message, platform::NIM_ADD);
    EXPECT_TRUE(area.calls[0].accepted);
    EXPECT_EQ(area.calls[1].message, platform::NIM_ADD);
    EXPECT_FALSE(area.calls[1].accepted);
    EXPECT_EQ(area.icons.size(), 1u);
    EXPECT_EQ(status(), "Status: No Stream.");
    EXPECT_EQ(w.Frame5->lblAtraydisplay->text(), "ON");
    EXPECT_EQ(textColour(w.Frame5->lblAtraydisplay), kPureGreen);
    EXPECT_TRUE(player.calls.isEmpty());
}

TEST_F(StartUp, WithBothOptionsOnTheStatusIsWorkedOutAgainFromThePlayerState) {
    writeSettings(settingsFields("http://127.0.0.1:1/fav", "yes", "yes", "Night Owl"));
    player.state = platform::psBuffering;
    load();
    EXPECT_EQ(status(), "Status: No Stream.");
    EXPECT_EQ(player.urls, QStringList({"http://127.0.0.1:1/fav"}));

    window.reset();
    area.icons.clear();
    player.state = platform::psPlaying;
    load();
    EXPECT_EQ(status(), "Status: Streaming Night Owl");
    EXPECT_TRUE(window->isInTray());
}

TEST_F(StartUp, WithTheStreamOptionOnPlaysTheDefaultFavouriteEvenWhenItIsNoFavourite) {
    writeFavourites({{"Jazz Cafe", "stream-one"}});
    writeSettings(settingsFields("http://127.0.0.1:1/default", "no", "yes", "Not In The List"));
    auto& w = load();
    EXPECT_EQ(player.calls, QStringList({"URL=http://127.0.0.1:1/default"}));
    EXPECT_EQ(w.Frame5->lblAstreamdisplay->text(), "ON");
    EXPECT_EQ(textColour(w.Frame5->lblAstreamdisplay), kPureGreen);
    EXPECT_EQ(w.Frame5->lblAtraydisplay->text(), "OFF");
    EXPECT_EQ(textColour(w.Frame5->lblAtraydisplay), kBlack);
    EXPECT_EQ(status(), "Streaming Fav. Not In The List");
    EXPECT_EQ(combo().currentText(), "Not In The List");
    EXPECT_EQ(comboItems().first(), "Jazz Cafe") << "the name is shown, not added to the list";
    EXPECT_EQ(combo().count(), 10);
    EXPECT_FALSE(w.isInTray());
}

TEST_F(StartUp, TheTenNamesAppearInSlotOrderInEditorTrayAndDropDownEmptyOnesIncluded) {
    const QList<QPair<QString, QString>> stations = {
        {"Zero", "u0"},      {"", "u1"},    {"Two, Comma", "u2"},
        {"  Three  ", "u3"}, {"", ""},      {"Five & Six", "u5"},
        {"-", "u6"},         {"Seven", ""}, {"Caf\u00e9", "u8"},
        {"Nine", "u9"}};
    writeFavourites(stations);
    load();
    QStringList names, urls;
    for (const auto& s : stations) {
        names << s.first;
        urls << s.second;
    }
    EXPECT_EQ(editorNames(), names);
    EXPECT_EQ(editorUrls(), urls);
    // A menu entry shows an '&' as itself only when it is written twice.
    QStringList captions = names;
    captions.replaceInStrings("&", "&&");
    EXPECT_EQ(trayCaptions(), captions);
    EXPECT_EQ(comboItems(), names);
}

TEST_F(StartUp, LoadedFieldsShowTheBeginningOfLongAddressesAndNames) {
    const QString url = "http://127.0.0.1:1/" + QString(300, 'x') + "/stream.mp3";
    const QString name = "Station " + QString(200, 'n');
    writeFavourites({{name, url}});
    writeSettings(settingsFields(url, "no", "no", name));
    auto& w = load();
    for (QLineEdit* field : {w.Frame3->txtStaname[0], w.Frame3->txtStaurl[0], w.Frame4->txtAbfavurl,
                             w.Frame4->txtAbfavname}) {
        EXPECT_EQ(field->cursorPosition(), 0) << field->text().left(20).toStdString();
        EXPECT_FALSE(field->hasSelectedText());
    }
}

TEST_F(StartUp, AMissingDataFolderGivesEmptyFieldsAndWritesNothing) {
    auto& w = load();
    EXPECT_EQ(editorNames(), QStringList(10, QString()));
    EXPECT_EQ(editorUrls(), QStringList(10, QString()));
    EXPECT_EQ(trayCaptions(), QStringList(10, QString()));
    EXPECT_EQ(comboItems(), QStringList(10, QString()));
    EXPECT_EQ(w.Frame4->txtAbfavurl->text(), QString());
    EXPECT_EQ(w.Frame5->lblFavdisplay->text(), QString());
    EXPECT_EQ(combo().currentText(), "Choose A Favorite Station.");
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dataFolder())) << "start-up never writes";
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(StartUp, AShortSettingsFileGivesEmptyFieldsForTheRest) {
    writeData("Drlsets.ini", "\"http://127.0.0.1:1/only\"");
    writeData("Dornelfavs.dat", "\"First\",\"Second\"");
    auto& w = load();
    EXPECT_EQ(w.Frame4->txtAbfavurl->text(), "http://127.0.0.1:1/only");
    EXPECT_EQ(w.Frame4->txtAbfavname->text(), QString());
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_EQ(editorNames().mid(0, 3), QStringList({"First", "Second", ""}));
    EXPECT_EQ(editorUrls(), QStringList(10, QString()));
}

TEST_F(StartUp, AnUpdateFlagOfYesChangesNothing) {
    writeSettings(settingsFields("http://127.0.0.1:1/fav", "no", "no", "Fav", "no"));
    load();
    const QString textOff = combo().currentText();
    window.reset();

    writeSettings(settingsFields("http://127.0.0.1:1/fav", "no", "no", "Fav", "yes"));
    auto& w = load();
    EXPECT_EQ(combo().currentText(), textOff);
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_TRUE(area.calls.empty());
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(w.Frame4->chkAutup->isChecked());
    EXPECT_FALSE(w.Frame4->chkAutup->isVisibleTo(w.Frame4));
}

TEST_F(StartUp, WithoutANotificationAreaTheTrayOptionLeavesTheWindowInReach) {
    area.available = false;
    writeSettings(settingsFields("", "yes", "no", ""));
    auto& w = load();
    EXPECT_FALSE(w.isInTray());
    EXPECT_TRUE(area.icons.empty());
    EXPECT_FALSE(w.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(w.isVisible());
}

} // namespace
