// "Find Stations" as part of the main window: its place in the Tools menu, made only when
// first opened, playing through the stream tester's path, and filling a favourite slot in
// the editor without saving.
#include "directory/find_stations_window.h"
#include "directory_fakes.h"
#include "player/stream_tester.h"
#include "window_fixture.h"

#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

using window_test::WindowTest;

namespace {

class FindStationsInMainWindow : public WindowTest {
protected:
    app::frmTANRO& loadWithDirectory(directory::SearchAnswer answer) {
        load();
        window->setStationDirectory(
            [this, answer](QString*) -> std::unique_ptr<directory::DirectoryClient> {
                ++clientsMade;
                return std::make_unique<fakes::FakeDirectoryClient>(log, answer);
            });
        return *window;
    }
    directory::FindStationsWindow& openAndFind() {
        window->mnuFindStations->trigger();
        directory::FindStationsWindow* w = window->frmFindStations();
        EXPECT_NE(w, nullptr);
        w->txtName->setText("jazz");
        w->searchNow();
        w->lstResults->setCurrentItem(w->lstResults->topLevelItem(0));
        return *w;
    }

    fakes::FakeDirectoryClient::Log log;
    int clientsMade = 0;
};

directory::SearchAnswer oneStation() {
    directory::SearchAnswer a;
    a.stations << fakes::station("Found FM", "http://127.0.0.1:1/found.mp3", "5678-ef");
    return a;
}

} // namespace

TEST_F(FindStationsInMainWindow, ToolsMenuOffersFindStationsRightAfterTheFavouritesList) {
    loadWithDirectory(oneStation());
    const QList<QAction*> entries = window->mnuSettings->actions();
    const qsizetype favourites = entries.indexOf(window->mnuFavslist);
    ASSERT_GE(favourites, 0);
    ASSERT_LT(favourites + 1, entries.size());
    EXPECT_EQ(entries[favourites + 1], window->mnuFindStations);
    EXPECT_EQ(window->mnuFindStations->text(), "Find Stations");
    EXPECT_FALSE(window->mnuFindStations->isCheckable());
}

TEST_F(FindStationsInMainWindow, TheWindowAndItsClientAreMadeOnlyWhenNeededAndOnlyOnce) {
    loadWithDirectory(oneStation());
    EXPECT_EQ(window->frmFindStations(), nullptr) << "made at start-up";
    window->mnuFindStations->trigger();
    directory::FindStationsWindow* w = window->frmFindStations();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(clientsMade, 0) << "the client comes with the first search, not the window";
    w->close();
    window->mnuFindStations->trigger();
    EXPECT_EQ(window->frmFindStations(), w);
    EXPECT_TRUE(w->isVisible());
    w->txtName->setText("a");
    w->searchNow();
    w->txtName->setText("b");
    w->searchNow();
    EXPECT_EQ(clientsMade, 1);
    EXPECT_EQ(log.searches.size(), 2);
}

TEST_F(FindStationsInMainWindow, PlayReachesThePlayerAndLeavesDropDownStatusAndFavouritesAlone) {
    writeFavourites({{"Mine", "http://127.0.0.1:1/mine"}});
    loadWithDirectory(oneStation());
    const QString comboText = combo().currentText();
    const QStringList items = comboItems();
    const QString statusBefore = status();
    const QByteArray fileBefore = dataBytes("Dornelfavs.dat");

    directory::FindStationsWindow& w = openAndFind();
    w.playSelected();
    EXPECT_EQ(player.urls, QStringList({"http://127.0.0.1:1/found.mp3"}));
    EXPECT_EQ(log.clicks, QStringList({"5678-ef"}));
    EXPECT_EQ(combo().currentText(), comboText);
    EXPECT_EQ(comboItems(), items);
    EXPECT_EQ(status(), statusBefore);
    EXPECT_EQ(editorNames().value(0), "Mine");
    EXPECT_EQ(dataBytes("Dornelfavs.dat"), fileBefore);
}

TEST_F(FindStationsInMainWindow, PutInSlotOpensTheEditorWithTheSlotFilledAndSavesNothing) {
    writeFavourites({{"Mine", "http://127.0.0.1:1/mine"}, {"Two", "http://127.0.0.1:1/two"}});
    loadWithDirectory(oneStation());
    const QByteArray fileBefore = dataBytes("Dornelfavs.dat");
    ASSERT_FALSE(window->Frame3->isVisible());

    directory::FindStationsWindow& w = openAndFind();
    w.putSelectedInSlot(1);
    EXPECT_TRUE(window->Frame3->isVisibleTo(window.get()));
    EXPECT_TRUE(window->mnuFavslist->isChecked());
    EXPECT_TRUE(window->Frame3->cmdSavefavs->isEnabled());
    EXPECT_EQ(editorNames().mid(0, 3), QStringList({"Mine", "Found FM", ""}));
    EXPECT_EQ(editorUrls().mid(0, 3),
              QStringList({"http://127.0.0.1:1/mine", "http://127.0.0.1:1/found.mp3", ""}));
    EXPECT_EQ(dataBytes("Dornelfavs.dat"), fileBefore) << "saved without Save List";
    EXPECT_TRUE(player.urls.isEmpty());

    // A second one while the editor is open keeps it open.
    w.putSelectedInSlot(9);
    EXPECT_TRUE(window->mnuFavslist->isChecked());
    EXPECT_EQ(editorNames().value(9), "Found FM");

    // Save List then stores them, as with any edit.
    window->Frame3->cmdSavefavs->click();
    EXPECT_TRUE(dataBytes("Dornelfavs.dat").contains("\"Found FM\""));
    EXPECT_EQ(comboItems().value(1), "Found FM");
}

TEST_F(FindStationsInMainWindow, ClosingTheMainWindowClosesTheSearchWindowToo) {
    loadWithDirectory(oneStation());
    window->show();
    window->mnuFindStations->trigger();
    ASSERT_NE(window->frmFindStations(), nullptr);
    ASSERT_TRUE(window->frmFindStations()->isVisible());
    window->Label47_Click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->frmFindStations()->isVisible())
        << "the search window kept the program on screen after its main window closed";
}
