// What the desktop's requests do to the main window (over the platform fakes): they act
// through the window's own tray and station handlers.
#include "window_fixture.h"

#include "app/desktop_hooks.h"
#include "desktop/now_playing.h"

namespace {

class DesktopRequests : public window_test::WindowTest {
protected:
    void loadInTray() {
        writeFavourites({{"Loop One", "http://127.0.0.1:9/one"},
                         {"Empty", ""},
                         {"Loop Three", "http://127.0.0.1:9/three"}});
        writeSettings(
            window_test::settingsFields("http://127.0.0.1:9/start", "yes", "no", "Start Fav"));
        load();
        ASSERT_TRUE(window->isInTray());
        ASSERT_EQ(area.icons.size(), 1u);
    }
};

TEST_F(DesktopRequests, RaiseBringsTheWindowBackFromTheTrayAsOpenDoes) {
    loadInTray();
    const desktop::ProgramHooks hooks = app::desktopHooks(*window);
    EXPECT_TRUE(hooks.hiddenInTray());
    hooks.raise();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(area.icons.empty());
    EXPECT_FALSE(hooks.hiddenInTray());
}

TEST_F(DesktopRequests, QuitTakesTheTrayIconAwayAndEndsTheProgramAsExitDoes) {
    loadInTray();
    app::desktopHooks(*window).quit();
    EXPECT_EQ(endCalls, 1);
    EXPECT_EQ(iconsAtEnd, 0);
}

TEST_F(DesktopRequests, NextPlaysTheFollowingFavouriteAsItsTrayEntryAndNamesIt) {
    loadInTray();
    desktop::NowPlaying model(player, app::desktopHooks(*window), {});
    model.next();
    model.next();
    EXPECT_EQ(player.urls, (QStringList{"http://127.0.0.1:9/one", "http://127.0.0.1:9/three"}));
    EXPECT_EQ(combo().currentText(), "Loop Three");
    EXPECT_EQ(status(), "Status: Streaming Loop Three");
    EXPECT_EQ(model.stationName(), "Loop Three");
    // The start-up favourite is named too, though it is not in a slot.
    window->lblFavdisplay_Click();
    EXPECT_EQ(model.stationName(), "Start Fav");
}

} // namespace
