// Choosing a station from the drop-down, the default-favourite label and the tray's
// station entries: which address reaches the player and what else changes.
#include "window_fixture.h"

namespace {

using namespace window_test;

class Selection : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeFavourites({{"Jazz", "u0"},
                         {"", "u1"},
                         {"Jazz", "u2"},
                         {"", "u3"},
                         {"Talk", "u4"},
                         {"Rock, Pop", "u5"},
                         {"", ""},
                         {"Seven", ""},
                         {"Eight", "u8"},
                         {"Nine", "u9"}});
        writeSettings(settingsFields("http://127.0.0.1:1/fav", "no", "no", "Fav"));
        load();
    }
    // A user's pick of list item `index`, as the drop-down reports it.
    void pick(int index) {
        combo().setCurrentIndex(index);
        emit combo().activated(index);
    }
};

TEST_F(Selection, PickingAnItemPlaysTheFirstSlotWithThatName) {
    pick(4);
    EXPECT_EQ(player.calls, QStringList({"URL=u4"}));
    pick(5);
    EXPECT_EQ(player.urls.last(), "u5");
}

TEST_F(Selection, DuplicateNamesPlayTheLowerSlotFromEitherItem) {
    pick(2);
    pick(0);
    EXPECT_EQ(player.urls, QStringList({"u0", "u0"}));
}

TEST_F(Selection, AnEmptyItemPlaysTheFirstSlotWithAnEmptyName) {
    pick(3);
    pick(6);
    EXPECT_EQ(player.urls, QStringList({"u1", "u1"}));
}

TEST_F(Selection, ATextMatchingNoSlotPlaysNothing) {
    combo().setEditText("Nobody");
    window->Combo1_Click();
    combo().setEditText("jazz");
    window->Combo1_Click();
    combo().setEditText("JAZZ");
    window->Combo1_Click();
    EXPECT_TRUE(player.calls.isEmpty()) << "names differing in letter case are different";
}

TEST_F(Selection, ARenamedButUnsavedSlotNoLongerMatchesItsOldListItem) {
    window->Frame3->txtStaname[4]->setText("Talk Radio");
    pick(4);
    EXPECT_TRUE(player.calls.isEmpty());
    combo().setEditText("Talk Radio");
    window->Combo1_Click();
    EXPECT_EQ(player.urls, QStringList({"u4"})) << "the editor's live fields are the list";
}

TEST_F(Selection, APickLeavesTheKeyboardFocusOffTheDropDown) {
    showActive();
    combo().setFocus();
    ASSERT_TRUE(combo().hasFocus());
    pick(8);
    EXPECT_EQ(QApplication::focusWidget(), window->Text3);
    EXPECT_EQ(player.urls, QStringList({"u8"}));

    combo().setFocus();
    combo().setEditText("No such station");
    window->Combo1_Click();
    EXPECT_EQ(QApplication::focusWidget(), window->Text3) << "even when nothing matches";
}

TEST_F(Selection, TheDefaultFavouriteLabelPlaysTheDefaultAddressEvenWhenEmpty) {
    emit window->Frame5->lblFavdisplay->clicked();
    window->Frame4->txtAbfavurl->setText(QString());
    window->lblFavdisplay_Click();
    EXPECT_EQ(player.calls, QStringList({"URL=http://127.0.0.1:1/fav", "URL="}));
    EXPECT_EQ(combo().currentText(), "Choose A Favorite Station.");
    EXPECT_EQ(status(), "Status:");
}

TEST_F(Selection, ATrayStationEntryPlaysItsOwnSlotAndReportsIt) {
    window->mnuMenu->mnuSta[2]->trigger();
    EXPECT_EQ(player.urls, QStringList({"u2"})) << "each duplicate entry plays its own slot";
    EXPECT_EQ(combo().currentText(), "Jazz");
    EXPECT_EQ(status(), "Status: Streaming Jazz");

    window->mnuSta_Click(5);
    EXPECT_EQ(player.urls.last(), "u5");
    EXPECT_EQ(combo().currentText(), "Rock, Pop");
    EXPECT_EQ(status(), "Status: Streaming Rock, Pop");
}

TEST_F(Selection, ATrayEntryForAnEmptySlotPlaysTheEmptyAddressAndEmptiesTheText) {
    window->mnuSta_Click(6);
    EXPECT_EQ(player.calls, QStringList({"URL="}));
    EXPECT_EQ(combo().currentText(), QString());
    EXPECT_EQ(status(), "Status: Streaming ");
}

TEST_F(Selection, ATrayEntryUsesTheEditorsCurrentSlotNotItsCaption) {
    window->Frame3->txtStaname[9]->setText("Renamed");
    window->Frame3->txtStaurl[9]->setText("new-url");
    window->mnuMenu->mnuSta[9]->trigger();
    EXPECT_EQ(player.urls, QStringList({"new-url"}));
    EXPECT_EQ(combo().currentText(), "Renamed");
    EXPECT_EQ(window->mnuMenu->mnuSta[9]->text(), "Nine");
}

} // namespace
