#include "refdata/ReferenceData.h"
#include "sheet/CodePage932.h"
#include "sheet/TextFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

template <class Table> std::vector<std::string> names(const Table& table) {
    std::vector<std::string> out;
    for (const auto& entry : table)
        out.push_back(entry.name);
    return out;
}

using Names = std::vector<std::string>;

struct TableCase {
    const char* what;
    std::string bytes;
    Names names;
};

TEST(LoadTable, TakesTheNameBeforeTheFirstColonOfEveryLine) {
    const TableCase cases[] = {
        {"pieces joined by colons", "アリス:1:2\n", {"アリス"}},
        {"no colon", "ホリック\n", {"ホリック"}},
        {"leading colon", ":x\n", {""}},
        {"empty line in the middle", "a\n\nb\n", {"a", "", "b"}},
        {"duplicates stay", "a\na\n", {"a", "a"}},
        {"spaces are part of the name", " a b \n", {" a b "}},
        {"CR LF ends", "ステーシー\r\nタナトス\r\n", {"ステーシー", "タナトス"}},
        {"last line without a line end", "a\nb", {"a", "b"}},
        {"empty file", "", {}},
        {"a lone line end", "\n", {""}},
        {"a carriage return not before a line feed", "a\rb\n", {"a\rb"}},
        {"Ctrl+Z is an ordinary byte", "a\x1a\nb\n", {"a\x1a", "b"}},
    };
    ScratchFolder folder;
    for (const TableCase& c : cases) {
        writeBytes(folder.file("list.txt"), c.bytes);
        std::vector<PositionData> positions;
        std::vector<ClassData> classes;
        loadTable(positions, folder.file("list.txt"));
        loadTable(classes, folder.file("list.txt"));
        EXPECT_EQ(names(positions), c.names) << c.what;
        EXPECT_EQ(names(classes), c.names) << c.what;
    }
}

TEST(LoadTable, AppendsToWhatTheTableHolds) {
    ScratchFolder folder;
    writeBytes(folder.file("list.txt"), "b\n");
    std::vector<ClassData> table(1);
    table[0].name = "a";
    loadTable(table, folder.file("list.txt"));
    EXPECT_EQ(names(table), (Names{"a", "b"}));
}

TEST(LoadTable, MissingFileAddsNothing) {
    ScratchFolder folder;
    std::vector<PositionData> table;
    loadTable(table, folder.file("none.txt"));
    EXPECT_TRUE(table.empty());
}

TEST(LoadTable, ReadsLongAndOddLines) {
    ScratchFolder folder;
    const std::string longName(300000, 'x');
    writeBytes(folder.file("list.txt"), longName + ":rest\n" + std::string("\0\xff\x81", 3) + "\n");
    std::vector<PositionData> table;
    loadTable(table, folder.file("list.txt"));
    EXPECT_EQ(names(table), (Names{longName, std::string("\0\xff\x81", 3)}));
}

template <class Table> Names namesIn(const std::string& bytes) {
    ScratchFolder folder;
    writeBytes(folder.file("list.txt"), bytes);
    Table table;
    loadTable(table, folder.file("list.txt"));
    return names(table);
}

struct SameListCase {
    const char* what;
    std::string cp932;
    std::string utf8;
};

TEST(LoadTable, ReadsAListSavedAsUtf8AsTheSameListInCodePage932) {
    const SameListCase cases[] = {
        {"kana and kanji, CR LF", "アリス:1\r\nホリック\r\n", utf8Bytes(u8"アリス:1\r\nホリック\r\n")},
        {"half-width katakana, spaces, an empty line, no last line end", " ｽﾃｰｼｰ \n\nタナトス",
         utf8Bytes(u8" ｽﾃｰｼｰ \n\nタナトス")},
        {"characters of Microsoft's code page 932", "～∥－￠￡￢―＼\n①Ⅰⅰ㈱№∵≒髙﨑\n",
         utf8Bytes(u8"～∥－￠￡￢―＼\n①Ⅰⅰ㈱№∵≒髙﨑\n")},
        {"ASCII after a first line beyond it", "ゴシック\nGothic\n", utf8Bytes(u8"ゴシック\nGothic\n")},
    };
    for (const SameListCase& c : cases) {
        const Names expected = namesIn<std::vector<PositionData>>(c.cp932);
        EXPECT_EQ(namesIn<std::vector<PositionData>>(c.utf8), expected) << c.what;
        EXPECT_EQ(namesIn<std::vector<ClassData>>(c.utf8), expected) << c.what;
        EXPECT_EQ(namesIn<std::vector<PositionData>>(std::string(utf8ByteOrderMark) + c.utf8), expected)
            << c.what << ", with the byte-order mark";
    }
}

TEST(LoadTable, TakesTheByteOrderMarkForNoPartOfTheList) {
    const std::string mark(utf8ByteOrderMark);
    const TableCase cases[] = {
        {"before ASCII", mark + "Alice\r\nBob", {"Alice", "Bob"}},
        {"before a colon", mark + ":x\n", {""}},
        {"before a line end", mark + "\n", {""}},
        {"alone", mark, {}},
        {"cut short, as code page 932 bytes", mark.substr(0, 2), {mark.substr(0, 2)}},
    };
    for (const TableCase& c : cases)
        EXPECT_EQ(namesIn<std::vector<PositionData>>(c.bytes), c.names) << c.what;
}

TEST(LoadTable, GivesAFullWidthQuestionMarkForWhatCodePage932CannotHold) {
    const TableCase cases[] = {
        {"an emoji", utf8Bytes(u8"ドール😀:x\nアリス\n"), {"ドール？", "アリス"}},
        {"a Latin letter", utf8Bytes(u8"Chloé\n"), {"Chlo？"}},
        {"a broken sequence after the byte-order mark",
         std::string(utf8ByteOrderMark) + utf8Bytes(u8"ア") + "\xE3\x82" + utf8Bytes(u8"ス\n"),
         {"ア？ス"}},
    };
    for (const TableCase& c : cases)
        EXPECT_EQ(namesIn<std::vector<PositionData>>(c.bytes), c.names) << c.what;
}

// Kana and most kanji of code page 932 begin with a byte from 81 to 9F, which
// in UTF-8 can only continue a sequence, so such a character at the start of
// a name or after ASCII breaks UTF-8 at once. A list passes for UTF-8 only
// when all its characters beyond ASCII chain into UTF-8 sequences by chance,
// as a rare level-2 kanji with a following kana, or a pair of half-width
// katakana, can: a name like "ﾃｽ" alone would be taken as UTF-8.
TEST(LoadTable, ReadsAListThatIsNotWholeUtf8ByteForByte) {
    const TableCase cases[] = {
        {"a kanji and a kana that begin like a UTF-8 sequence", "爛の\r\n", {"爛の"}},
        {"half-width katakana that begin like a UTF-8 sequence", "ﾃｽﾄ\r\nホリック\r\n", {"ﾃｽﾄ", "ホリック"}},
        {"UTF-8 with a broken sequence",
         utf8Bytes(u8"アリス\n") + "\xE3\x82" + utf8Bytes(u8"ス"),
         {utf8Bytes(u8"アリス"), "\xE3\x82" + utf8Bytes(u8"ス")}},
        {"UTF-8 with a code page 932 line",
         utf8Bytes(u8"アリス\n") + "ホリック\n",
         {utf8Bytes(u8"アリス"), "ホリック"}},
    };
    for (const TableCase& c : cases)
        EXPECT_EQ(namesIn<std::vector<PositionData>>(c.bytes), c.names) << c.what;
}

struct ConversionCase {
    const char* what;
    std::u8string_view utf8;
    const char* cp932;
};

TEST(Utf8ToCodePage932, GivesTheBytesOfWindowsCodePage932) {
    const ConversionCase cases[] = {
        {"ASCII", u8"a:~\\", "a:~\\"},
        {"kana", u8"アリス", "\x83\x41\x83\x8A\x83\x58"},
        {"half-width katakana", u8"ｱﾟ", "\xB1\xDF"},
        {"FULLWIDTH TILDE", u8"\uFF5E", "\x81\x60"},
        {"PARALLEL TO", u8"\u2225", "\x81\x61"},
        {"FULLWIDTH HYPHEN-MINUS", u8"\uFF0D", "\x81\x7C"},
        {"FULLWIDTH CENT, POUND and NOT SIGN", u8"\uFFE0\uFFE1\uFFE2", "\x81\x91\x81\x92\x81\xCA"},
        {"HORIZONTAL BAR", u8"\u2015", "\x81\x5C"},
        {"FULLWIDTH REVERSE SOLIDUS", u8"\uFF3C", "\x81\x5F"},
        {"NEC row 13 before the IBM extensions", u8"\u2160\u2116\u3231", "\x87\x54\x87\x82\x87\x8A"},
        {"JIS X 0208 before NEC row 13", u8"\u2252\u2235", "\x81\xE0\x81\xE6"},
        {"IBM extensions before the NEC-selected ones", u8"\u2170\u9AD9\uFA11\uFFE4",
         "\xFA\x40\xFB\xFC\xFA\xB1\xFA\x55"},
        {"the user-defined area", u8"\uE000\uE757", "\xF0\x40\xF9\xFC"},
        {"Windows' own single bytes", u8"\u0080\uF8F0\uF8F1\uF8F2\uF8F3", "\x80\xA0\xFD\xFE\xFF"},
        // Editors that follow the JIS mapping write these for the same marks.
        {"WAVE DASH", u8"\u301C", "\x81\x60"},
        {"JIS look-alikes", u8"\u2016\u2212\u2014\u00A2\u00A3\u00AC\u00A5\u203E",
         "\x81\x61\x81\x7C\x81\x5C\x81\x91\x81\x92\x81\xCA\x5C\x7E"},
    };
    for (const ConversionCase& c : cases)
        EXPECT_EQ(utf8ToCodePage932(utf8Bytes(c.utf8)), c.cp932) << c.what;
}

TEST(Utf8ToCodePage932, ReplacesEachCharacterItCannotGive) {
    const struct {
        const char* what;
        std::string utf8;
        const char* cp932;
    } cases[] = {
        {"a character beyond U+FFFF", utf8Bytes(u8"a😀z"), "a\x81\x48z"},
        {"a character code page 932 lacks", utf8Bytes(u8"\u00E9\uFEFF\uFFFD"), "\x81\x48\x81\x48\x81\x48"},
        {"a lone continuation byte", "a\x80z", "a\x81\x48z"},
        {"a sequence cut by ASCII", "\xE3\x82z", "\x81\x48z"},
        {"a sequence cut by the end", "a\xF0\x9F\x98", "a\x81\x48"},
        {"a sequence cut by a lead byte", "\xE3\xE3\x82\xA2", "\x81\x48\x83\x41"},
        {"an overlong form", "\xC0\xAF\xE0\x80\xAF", "\x81\x48\x81\x48\x81\x48\x81\x48\x81\x48"},
        {"a surrogate", "\xED\xA0\x80", "\x81\x48\x81\x48\x81\x48"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80\xF5", "\x81\x48\x81\x48\x81\x48\x81\x48\x81\x48"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8ToCodePage932(c.utf8), c.cp932) << c.what;
}

class ReferenceFiles : public testing::Test {
protected:
    void SetUp() override {
        positionTable.clear();
        classTable.clear();
    }
    void TearDown() override { SetUp(); }
    ScratchFolder folder{true};
};

TEST_F(ReferenceFiles, FillPositionsThenClassesFromTheDatabaseFolder) {
    std::filesystem::create_directory("Database");
    writeBytes("Database\\ポジション.txt", "アリス\r\nホリック\r\n");
    writeBytes("Database\\クラス.txt", "ステーシー:x\r\nタナトス\r\nゴシック");
    loadReferenceData();
    EXPECT_EQ(names(positionTable), (Names{"アリス", "ホリック"}));
    EXPECT_EQ(names(classTable), (Names{"ステーシー", "タナトス", "ゴシック"}));
}

TEST_F(ReferenceFiles, LeaveBothTablesEmptyWithoutTheFolder) {
    loadReferenceData();
    EXPECT_TRUE(positionTable.empty());
    EXPECT_TRUE(classTable.empty());
}

} // namespace
