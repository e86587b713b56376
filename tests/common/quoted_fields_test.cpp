// The record format of the data files: exact bytes written, and what hand-edited,
// truncated, oversized or foreign files read as.
#include "common/quoted_fields.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList empties(int n) {
    QStringList list;
    for (int i = 0; i < n; ++i)
        list << QString();
    return list;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// --- Writing --------------------------------------------------------------------------

TEST(QuotedFieldLine, TheSettingsLineWithEverythingEmptyAndOffIsTwentyTwoBytes) {
    const QByteArray line = common::quotedFieldLine({"", "no", "no", "", "no"});
    EXPECT_EQ(line, QByteArray("\"\",\"no\",\"no\",\"\",\"no\"\r\n"));
    EXPECT_EQ(line.size(), 22);
}

TEST(QuotedFieldLine, TwentyEmptyFieldsAreSixtyOneBytes) {
    const QByteArray line = common::quotedFieldLine(empties(20));
    EXPECT_EQ(line.size(), 61);
    EXPECT_TRUE(line.endsWith("\"\"\r\n"));
    EXPECT_EQ(line.count(','), 19);
    EXPECT_EQ(line.count('"'), 40);
}

TEST(QuotedFieldLine, TheJazzCafeExampleIsByteExact) {
    QStringList fields = empties(20);
    fields[0] = "Jazz Cafe";
    fields[1] = "Talk 24";
    fields[10] = "stream-one";
    fields[11] = "stream-two";
    const QByteArray expected =
        "\"Jazz Cafe\",\"Talk 24\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
        "\"stream-one\",\"stream-two\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
    const QByteArray line = common::quotedFieldLine(fields);
    EXPECT_EQ(line, expected);
    EXPECT_EQ(line.size(), 97);
    EXPECT_EQ(common::readQuotedFields(line, 20), fields);
}

TEST(QuotedFieldLine, TextIsStoredAsWindows1252WhenTheCodePageHoldsEveryCharacterOfTheLine) {
    EXPECT_EQ(common::quotedFieldLine({QStringLiteral("Caf\u00e9")}),
              QByteArray("\"Caf\xe9\"\r\n"));
    // The characters Windows-1252 keeps where Latin-1 has control codes.
    EXPECT_EQ(common::quotedFieldLine({QStringLiteral("\u20ac \u201e\u2026\u201c\u201d"),
                                       QStringLiteral("\u2018\u2019 \u2013\u2014 \u0152")}),
              QByteArray("\"\x80 \x84\x85\x93\x94\",\"\x91\x92 \x96\x97 \x8c\"\r\n"));
}

TEST(QuotedFieldLine, ALineWithACharacterOutsideWindows1252IsStoredWholeAsUtf8) {
    const QStringList fields{QStringLiteral("Caf\u00e9 \u20ac"), QStringLiteral("\u65e5\u672c")};
    const QByteArray line = common::quotedFieldLine(fields);
    EXPECT_EQ(line, QByteArray("\"Caf\xc3\xa9 \xe2\x82\xac\",\"\xe6\x97\xa5\xe6\x9c\xac\"\r\n"));
    EXPECT_EQ(common::readQuotedFields(line, 2), fields);
}

TEST(QuotedFieldLine, ALineWhoseWindows1252BytesWouldReadAsUtf8IsStoredAsUtf8) {
    // "\xc3\xa9" is what "Ã©" is in Windows-1252, and valid UTF-8 for "é".
    const QStringList fields{QStringLiteral("\u00c3\u00a9"), QStringLiteral("plain")};
    const QByteArray line = common::quotedFieldLine(fields);
    EXPECT_EQ(line, QByteArray("\"\xc3\x83\xc2\xa9\",\"plain\"\r\n"));
    EXPECT_EQ(common::readQuotedFields(line, 2), fields);
}

// --- Round trips ----------------------------------------------------------------------

TEST(QuotedFieldRoundTrip, CommasAndLeadingAndTrailingBlanksSurvive) {
    const QStringList fields = {"Rock, Pop",  "  spaced  ",
                                "\tTabbed\t", ",",
                                " , ",        "http://127.0.0.1:8000/a,b",
                                "",           "Caf\u00e9 \u65e5\u672c"};
    EXPECT_EQ(common::readQuotedFields(common::quotedFieldLine(fields), int(fields.size())),
              fields);
}

TEST(QuotedFieldRoundTrip, AValueWithDoubleQuotesIsWrittenUnchangedAndReadBackWhole) {
    const QStringList fields = {"The \"Best\" FM", "after"};
    const QByteArray line = common::quotedFieldLine(fields);
    EXPECT_EQ(line, QByteArray("\"The \"Best\" FM\",\"after\"\r\n"));
    EXPECT_EQ(common::readQuotedFields(line, 2), fields);
}

TEST(QuotedFieldRoundTrip, AQuoteAtTheStartOrEndOfAValueIsReadBackWhole) {
    const QStringList fields = {"\"Quoted\" start", "ends \"quoted\"x", "next"};
    EXPECT_EQ(common::readQuotedFields(common::quotedFieldLine(fields), 3), fields);
}

// --- Reading hand-edited and unusual input ----------------------------------------------

TEST(QuotedFieldReading, StrayTextAfterAClosingQuoteIsDroppedAndLaterFieldsKeepTheirOrder) {
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"abc\"xyz,\"next\",\"last\"\r\n"), 3),
              QStringList({"abc", "next", "last"}));
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"a\" ,\"b\"\r\n"), 2), QStringList({"a", "b"}));
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"abc\"xyz\r\n\"next\""), 2),
              QStringList({"abc", "next"}));
}

TEST(QuotedFieldReading, FieldsOnePerLineReadAsTheOneLineFormWhateverTheLineEnd) {
    const QStringList expected = {"one", "two", "", "four"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(QByteArray(end).toHex().toStdString());
        QByteArray bytes;
        for (const QString& f : expected)
            bytes += "\"" + f.toUtf8() + "\"" + end;
        EXPECT_EQ(common::readQuotedFields(bytes, 4), expected);
    }
}

TEST(QuotedFieldReading, ShortEmptyAndMissingInputGivesEmptyFields) {
    EXPECT_EQ(common::readQuotedFields(QByteArray(), 5), empties(5));
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"only\""), 3), QStringList({"only", "", ""}));
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"a\",\"b"), 3), QStringList({"a", "b", ""}));
    EXPECT_EQ(common::readQuotedFieldFile(QStringLiteral("/nonexistent-korvant-dir/none.dat"), 4),
              empties(4));
}

TEST(QuotedFieldReading, UnquotedFieldsLoseLeadingBlanksAndRunToTheNextSeparator) {
    EXPECT_EQ(common::readQuotedFields(QByteArray("   plain text , \t\"quoted\",yes\r\nlast"), 4),
              QStringList({"plain text ", "quoted", "yes", "last"}));
}

TEST(QuotedFieldReading, OnlyTheRequestedFieldsAreReadAndLaterLinesAreIgnored) {
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"a\",\"b\"\r\n\"c\",\"d\"\r\n"), 2),
              QStringList({"a", "b"}));
}

TEST(QuotedFieldReading, BytesThatAreNotUtf8ReadAsWindows1252) {
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"Caf\xe9\",\"Stra\xdf"
                                                  "e\""),
                                       2),
              QStringList({QStringLiteral("Caf\u00e9"), QStringLiteral("Stra\u00dfe")}));
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"Caf\xc3\xa9\""), 1),
              QStringList({QStringLiteral("Caf\u00e9")}));
}

TEST(QuotedFieldReading, Windows1252PunctuationReadsAsItselfNotAsControlCharacters) {
    EXPECT_EQ(common::readQuotedFields(
                  QByteArray("\"\x80 \x82\x84\x85 \x91\x92\x93\x94 \x96\x97\"\r\n"), 1),
              QStringList({QStringLiteral("\u20ac \u201a\u201e\u2026 \u2018\u2019\u201c\u201d "
                                          "\u2013\u2014")}));
    // The five bytes the code page leaves undefined keep their values, as on Windows.
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"\x81\x8d\x8f\x90\x9d\""), 1),
              QStringList({QStringLiteral("\u0081\u008d\u008f\u0090\u009d")}));
}

TEST(QuotedFieldReading, AFileWithOneFieldThatIsNotUtf8ReadsWholeAsWindows1252) {
    // Read field by field, the first would turn into "é" and change on the next save.
    EXPECT_EQ(common::readQuotedFields(QByteArray("\"\xc3\xa9\",\"\x80\"\r\n"), 2),
              QStringList({QStringLiteral("\u00c3\u00a9"), QStringLiteral("\u20ac")}));
}

TEST(QuotedFieldRoundTrip, AWindows1252FileIsSavedBackByteForByte) {
    // Every byte the format lets a value hold, spread over the five settings fields.
    QByteArray values[5];
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '"' && byte != '\r' && byte != '\n')
            values[byte % 5] += static_cast<char>(byte);
    QByteArray file;
    for (int i = 0; i < 5; ++i)
        file += (i > 0 ? ",\"" : "\"") + values[i] + "\"";
    file += "\r\n";
    const QStringList fields = common::readQuotedFields(file, 5);
    EXPECT_EQ(fields[0].size(), values[0].size()) << "one character per byte";
    EXPECT_EQ(common::quotedFieldLine(fields), file);
}

TEST(QuotedFieldReading, AHugeSingleFieldIsCappedAndTheNextFieldIsStillFound) {
    QByteArray bytes = "\"" + QByteArray(20 * 1024 * 1024, 'x') + "\",\"next\"\r\n";
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const QStringList fields = common::readQuotedFields(buffer, 2);
    EXPECT_EQ(fields[0].size(), common::kMaxFieldBytes);
    EXPECT_EQ(fields[1], "next");
}

TEST(QuotedFieldReading, BinaryGarbageWithNulBytesReadsInBoundedFields) {
    QByteArray bytes;
    bytes.reserve(3 * 1024 * 1024);
    quint32 seed = 12345;
    while (bytes.size() < 3 * 1024 * 1024) {
        seed = seed * 1664525u + 1013904223u;
        const char c = static_cast<char>(seed >> 24);
        // Keep separators rare so that some fields run far past the cap.
        bytes += (c == ',' || c == '\r' || c == '\n') ? '\0' : c;
    }
    bytes.insert(0, QByteArray(200 * 1024, '\0'));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("garbage.dat");
    writeBytes(path, bytes);
    const QStringList fields = common::readQuotedFieldFile(path, 20);
    ASSERT_EQ(fields.size(), 20);
    for (const QString& f : fields)
        EXPECT_LE(f.size(), common::kMaxFieldBytes);
    EXPECT_EQ(fields[0],
              QString::fromLatin1(QByteArray(200 * 1024, '\0').left(common::kMaxFieldBytes)))
        << "the leading run of NUL bytes is one field, kept up to the cap";
}

// --- Saving -------------------------------------------------------------------------------

TEST(SaveFileAtomically, ReplacesTheWholeFileAndCreatesAMissingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("new/deeper/file.dat");
    EXPECT_EQ(common::saveFileAtomically(path, "first, a long line\r\n"), QString());
    EXPECT_EQ(common::saveFileAtomically(path, "short\r\n"), QString());
    EXPECT_EQ(fileBytes(path), QByteArray("short\r\n"));
    EXPECT_EQ(QDir(dir.filePath("new/deeper")).entryList(QDir::Files | QDir::Hidden),
              QStringList({"file.dat"}))
        << "no temporary file is left beside the saved one";
}

TEST(SaveFileAtomically, AFolderThatCannotBeMadeGivesAReasonAndWritesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A regular file where the folder should be stops even root.
    const QString blocker = dir.filePath("blocker");
    writeBytes(blocker, "not a folder");
    const QString why = common::saveFileAtomically(blocker + "/Dornel/Drlsets.ini", "data\r\n");
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(fileBytes(blocker), QByteArray("not a folder"));
}

TEST(SaveFileAtomically, ATargetThatCannotBeReplacedGivesAReasonAndIsLeftUntouched) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder in the file's place: no rename can put a file over it.
    const QString path = dir.filePath("Dornelfavs.dat");
    ASSERT_TRUE(QDir().mkpath(path));
    writeBytes(path + "/inside", "kept");
    const QString why = common::saveFileAtomically(path, "new\r\n");
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(fileBytes(path + "/inside"), QByteArray("kept"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"Dornelfavs.dat"}))
        << "no temporary file is left behind";
}

} // namespace
