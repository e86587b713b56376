// Text from outside (station tags, playlists, data files) cleaned before it is shown.
#include "common/remote_text.h"

#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

using common::cleanRemoteText;

TEST(RemoteText, ControlCharactersGoAndEachRunOfLineBreaksOrTabsBecomesOneSpace) {
    EXPECT_EQ(cleanRemoteText(QString::fromUtf16(u"One\r\nTwo\tThree\x0b"
                                                 u"Four")),
              "One Two Three Four");
    EXPECT_EQ(cleanRemoteText(QString::fromUtf16(u"a\u0085b\u2028c\u2029d")), "a b c d");
    EXPECT_EQ(cleanRemoteText(QString::fromUtf16(u"\x01"
                                                 u"A\x1b[31mB\x7f\x80\x9f"
                                                 u"C")),
              "A[31mBC");
    EXPECT_EQ(cleanRemoteText(QString::fromLatin1("x\0y", 3)), "xy");
    // Ordinary spaces and markup are text, kept as they are.
    EXPECT_EQ(cleanRemoteText("  <b>Jazz</b> & Blues  "), "  <b>Jazz</b> & Blues  ");
}

TEST(RemoteText, DirectionOverridesAndIsolatesAreRemovedAndDirectionMarksStay) {
    // U+202E would show "3pm.exe" as "exe.mp3".
    EXPECT_EQ(cleanRemoteText(QString::fromUtf16(u"Song \u202E3pm.exe")), "Song 3pm.exe");
    const QString all = QString::fromUtf16(u"a\u202Ab\u202Bc\u202Cd\u202De\u2066f\u2067g\u2068h"
                                           u"\u2069i");
    EXPECT_EQ(cleanRemoteText(all), "abcdefghi");
    const QString marks = QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD\u200F!\u200E\u061C");
    EXPECT_EQ(cleanRemoteText(marks), marks);
}

TEST(RemoteText, AHundredKilobyteTitleIsCutToTheCapEndingInAnEllipsis) {
    const QString huge(100 * 1024, QLatin1Char('t'));
    const QString cut = cleanRemoteText(huge);
    EXPECT_EQ(cut.size(), common::kRemoteTextMaxLength);
    EXPECT_EQ(cut.left(cut.size() - 1), huge.left(common::kRemoteTextMaxLength - 1));
    EXPECT_EQ(cut.back(), QChar(0x2026));
    // Text at the cap is whole.
    const QString full(common::kRemoteTextMaxLength, QLatin1Char('f'));
    EXPECT_EQ(cleanRemoteText(full), full);
}

TEST(RemoteText, TheCapNeverSplitsASurrogatePairAndLoneHalvesAreRemoved) {
    QString emoji;
    for (int i = 0; i < 20; ++i)
        emoji += QString::fromUtf16(u"\U0001F3B5");
    for (qsizetype cap = 2; cap < 12; ++cap) {
        const QString cut = cleanRemoteText(emoji, cap);
        EXPECT_LE(cut.size(), cap);
        EXPECT_EQ(cut.back(), QChar(0x2026));
        for (qsizetype i = 0; i + 1 < cut.size(); i += 2) {
            EXPECT_TRUE(cut.at(i).isHighSurrogate()) << cap << " " << i;
            EXPECT_TRUE(cut.at(i + 1).isLowSurrogate()) << cap << " " << i;
        }
    }
    const QChar lone[] = {QChar(0xD800), QChar('a'), QChar(0xDC00), QChar('b'), QChar(0xD83C)};
    EXPECT_EQ(cleanRemoteText(QString(lone, 5)), "ab");
}

TEST(RemoteText, AMenuCaptionShowsEveryAmpersandItself) {
    EXPECT_EQ(common::menuCaption("R&B & Soul &&"), "R&&B && Soul &&&&");
    EXPECT_EQ(common::menuCaption("Plain"), "Plain");
}

// The image names a file that never ends: rendered as markup it is read for good.
const QString kHostile =
    QStringLiteral("<img src=\"/dev/zero\"> <b>x</b> &amp; <a href=\"x\">y</a>");

TEST(RemoteText, AToolTipRendersAsTheTextItselfWithNoImageOrMarkupOfItsOwn) {
    const QString tip = common::plainToolTip(kHostile);
    // Shown as rich text either way: the escape must be what keeps the markup out.
    ASSERT_TRUE(Qt::mightBeRichText(tip));
    QTextDocument shown;
    shown.setHtml(tip);
    EXPECT_EQ(shown.toPlainText(), kHostile);
    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            EXPECT_FALSE(it.fragment().charFormat().isImageFormat());
            EXPECT_FALSE(it.fragment().charFormat().isAnchor());
            EXPECT_FALSE(it.fragment().charFormat().font().bold());
        }
    EXPECT_EQ(common::plainToolTip(QString()), QString()) << "no text, no tooltip";
}

} // namespace
