// A station found in a loopback directory, played through the stream tester's path by the
// real player from a live Icecast mount: the tone must come out of the player.
#include "directory/find_stations_window.h"
#include "directory/http_directory_client.h"
#include "fakes.h"
#include "platform/gst/gst_media_player.h"
#include "player/stream_tester.h"
#include "stream_support.h"

#include "../support/directory_server.h"

#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

using namespace realstream;

TEST(FindStationsRealStream, PlayingAFoundStationReachesTheIcecastMountAndSoundsItsTone) {
    StreamServer icecast;
    ASSERT_TRUE(icecast.ok()) << icecast.error().toStdString();
    testsupport::DirectoryServer directoryServer;
    directoryServer.searchBody =
        R"([{"stationuuid":"96062a7b-0601-11e8-ae97-52543be04c81","name":"Loopback Live",)"
        R"("url":"http://127.0.0.1:1/live.pls","url_resolved":")" +
        icecast.url("/live.mp3").toUtf8() + R"(","codec":"MP3","bitrate":128,"votes":7}])";

    Capture capture;
    platform::GstMediaPlayer player{capture.sinkDescription()};
    fakes::FakeMessageBox messages;
    QWidget panel;
    player::StreamTester tester(&panel, player, messages);

    directory::FindStationsHooks hooks;
    hooks.makeClient = [&](QString*) -> std::unique_ptr<directory::DirectoryClient> {
        return std::make_unique<directory::HttpDirectoryClient>(
            directory::HttpDirectoryClient::fixedServers({directoryServer.base()}),
            "KorvantLite/1.0.0", directory::HttpDirectoryClient::Limits{});
    };
    hooks.play = [&](const QString& address) { tester.play(address); };
    directory::FindStationsWindow window(std::move(hooks));
    window.txtName->setText("loopback");
    window.searchNow();
    ASSERT_TRUE(waitFor([&] { return window.lstResults->topLevelItemCount() == 1; }, 15000))
        << window.lblStatus->text().toStdString();
    window.lstResults->setCurrentItem(window.lstResults->topLevelItem(0));
    window.playSelected();

    EXPECT_EQ(player.URL(), icecast.url("/live.mp3"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == platform::psPlaying; }, 15000))
        << player.status().toStdString();
    const std::size_t start = capture.sampleCount();
    ASSERT_TRUE(waitFor([&] { return capture.sampleCount() >= start + Capture::rate / 2; }, 10000));
    EXPECT_GT(toneShare(capture.samples(), start, Capture::rate / 2, 440), 0.9);
    EXPECT_TRUE(waitFor([&] { return directoryServer.count("/json/url/") == 1; }, 15000));
    EXPECT_EQ(directoryServer.requests.last().path,
              "/json/url/96062a7b-0601-11e8-ae97-52543be04c81");
    player.controls().stop();
}
