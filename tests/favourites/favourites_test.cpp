// The favourites file's bytes and what it reads back as, and the editor's twenty
// fields as the list of slots.
#include "favourites/favourites_editor.h"
#include "favourites/favourites_file.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

favourites::Slots sample() {
    favourites::Slots s;
    s[0] = {"Jazz Cafe", "stream-one"};
    s[1] = {"Talk 24", "stream-two"};
    return s;
}

TEST(FavouritesFile, TenEmptySlotsAreSixtyOneBytesAndReadBackEmpty) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Dornel/Dornelfavs.dat");
    ASSERT_EQ(favourites::writeFavouritesFile(path, {}), QString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().size(), 61);
    EXPECT_EQ(favourites::readFavouritesFile(path), favourites::Slots{});
}

TEST(FavouritesFile, NamesComeFirstThenAddressesInSlotOrder) {
    EXPECT_EQ(
        favourites::favouritesLine(sample()),
        QByteArray("\"Jazz Cafe\",\"Talk 24\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
                   "\"stream-one\",\"stream-two\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
}

TEST(FavouritesFile, EveryTextSurvivesASaveAndARead) {
    favourites::Slots s;
    for (int i = 0; i < favourites::kSlots; ++i)
        s[i] = {QStringLiteral(" Name %1, with comma ").arg(i),
                QStringLiteral("\thttp://127.0.0.1:%1/ ").arg(i)};
    s[3] = {"", ""};
    s[4] = {"Caf\u00e9 & -", "-"};
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("favs.dat");
    ASSERT_EQ(favourites::writeFavouritesFile(path, s), QString());
    EXPECT_EQ(favourites::readFavouritesFile(path), s);
}

TEST(FavouritesFile, AShortOrMissingFileGivesEmptySlots) {
    EXPECT_EQ(favourites::readFavouritesFile("/nonexistent-korvant-dir/favs.dat"),
              favourites::Slots{});
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("short.dat");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\"Only One\"\r\n");
    file.close();
    favourites::Slots expected;
    expected[0].name = "Only One";
    EXPECT_EQ(favourites::readFavouritesFile(path), expected);
}

TEST(FavouritesEditor, ItsFieldsAreTheSlotsNamesFirstThenAddresses) {
    favourites::FavouritesEditor editor;
    editor.setNames(sample());
    for (int i = 0; i < favourites::kSlots; ++i)
        EXPECT_TRUE(editor.txtStaurl[i]->text().isEmpty()) << "addresses are filled separately";
    editor.setUrls(sample());
    EXPECT_EQ(editor.stations(), sample());
    editor.txtStaname[9]->setText("Typed");
    editor.txtStaurl[9]->setText("typed-url");
    EXPECT_EQ(editor.stations()[9], (favourites::Station{"Typed", "typed-url"}));
    EXPECT_EQ(editor.txtStaname[0]->objectName(), "txtStaname0");
    EXPECT_EQ(editor.txtStaurl[9]->objectName(), "txtStaurl9");
}

} // namespace
