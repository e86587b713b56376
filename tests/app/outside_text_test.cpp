// Text from the data files and from stations shown by the window: always plain text, on one
// line, with an '&' shown as itself, and never written back changed.
#include "window_fixture.h"

namespace {

using namespace window_test;
using OutsideText = WindowTest;

// Markup that shows whether it was taken as such. (An image of /dev/zero, taken as markup,
// kept the window from ever appearing; a missing one is harmless to a test that fails.
// No quotes: the data files' fields are quoted.)
const QString kImage = QStringLiteral("<img src=no-such-picture.png>");

TEST_F(OutsideText, TheDefaultFavouritesNameFromTheSettingsFileShowsAsPlainText) {
    const QString name = kImage + "<b>Fav</b> & Co";
    writeSettings(settingsFields("http://127.0.0.1:1/fav", "no", "yes", name));
    const QByteArray written = dataBytes("Drlsets.ini");
    auto& w = load();
    EXPECT_EQ(w.Frame5->lblFavdisplay->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.Frame5->lblFavdisplay->text(), name);
    EXPECT_EQ(w.Frame5->lblFavdisplay->accessibleName(), name);
    EXPECT_EQ(status(), "Streaming Fav. " + kImage + "<b>Fav</b> && Co");
    EXPECT_EQ(w.Frame4->txtAbfavname->text(), name) << "the editor keeps the file's text";
    EXPECT_EQ(dataBytes("Drlsets.ini"), written);
}

TEST_F(OutsideText, FavouriteNamesShowInTheTrayAndDropDownAsOneLineAndStillPlayWhenPicked) {
    const QString markup = "R&B <b>x</b>" + kImage;
    const QString overridden = QString::fromUtf16(u"Tab\there \u202E3pm.exe");
    writeFavourites({{markup, "http://127.0.0.1:1/zero"}, {overridden, "http://127.0.0.1:1/one"}});
    const QByteArray written = dataBytes("Dornelfavs.dat");
    auto& w = load();
    EXPECT_EQ(trayCaptions().mid(0, 2),
              QStringList({"R&&B <b>x</b>" + kImage, "Tab here 3pm.exe"}));
    EXPECT_EQ(comboItems().mid(0, 2), QStringList({markup, "Tab here 3pm.exe"}));
    EXPECT_EQ(editorNames().mid(0, 2), QStringList({markup, overridden}));

    combo().setCurrentIndex(1);
    emit combo().activated(1);
    EXPECT_EQ(player.urls, QStringList({"http://127.0.0.1:1/one"}));
    w.mnuSta_Click(0);
    EXPECT_EQ(status(), "Status: Streaming R&&B <b>x</b>" + kImage);
    EXPECT_EQ(dataBytes("Dornelfavs.dat"), written);
}

TEST_F(OutsideText, AStationsTitleShowsAsPlainTextInTheStatusViewAndTheTrayStatus) {
    auto& w = load();
    player.state = platform::psPlaying;
    player.statusText = QString::fromUtf16(u"Playing: Rock & Roll\r\n<b>x</b> \u202Eevil");
    const QString line = "Playing: Rock & Roll <b>x</b> evil";
    w.Command4_Click();
    EXPECT_EQ(w.Label32->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.Label32->text(), line);

    w.cmdAddtray_Click();
    EXPECT_EQ(status(), "Status: Main DB Playing: Rock && Roll <b>x</b> evil");
}

} // namespace
