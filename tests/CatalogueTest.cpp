#include "refdata/Catalogue.h"
#include "refdata/CatalogueWrite.h"
#include "sheet/NewSheet.h"
#include "sheet/TextFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

namespace {

struct ReadCase {
    const char* what;
    std::string bytes;
    std::vector<CatalogueEntry> entries;
    std::vector<std::string> groups;
    CatalogueProblem problem = CatalogueProblem::none;
};

const CatalogueEntry brain = {{0, "のうみそ", "オート", "なし", "なし", "最大行動値+2"}, "頭"};
const CatalogueEntry eyes = {{0, "めだま", "オート", "なし", "なし", "最大行動値+1"}, "頭"};
const CatalogueEntry fist = {{0, "こぶし", "アクション", "2", "0", "肉弾攻撃1"}, "腕"};
const CatalogueEntry stray = {{0, "はぐれ", "", "", "", ""}, ""};

// Every line form, headings, comments and blank lines, as a player writes them.
const std::u8string_view everyForm =
    u8"; 一行に一つ\r\n\r\nはぐれ\r\n[頭]\r\n【のうみそ】オート/なし/なし：最大行動値+2\r\n"
    u8"■【めだま】オート/なし/なし：最大行動値+1\r\n  ［腕］ \n\t \n"
    u8"こぶし\tアクション\t2\t0\t肉弾攻撃1\n[頭]\n　□【めだま】オート/なし/なし：最大行動値+1　";

TEST(ReadCatalogue, ReadsEveryLineFormUnderItsHeading) {
    const std::string cp932 =
        "; 一行に一つ\r\n\r\nはぐれ\r\n[頭]\r\n【のうみそ】オート/なし/なし：最大行動値+2\r\n"
        "■【めだま】オート/なし/なし：最大行動値+1\r\n  ［腕］ \n\t \n"
        "こぶし\tアクション\t2\t0\t肉弾攻撃1\n[頭]\n　□【めだま】オート/なし/なし：最大行動値+1　";
    const std::string tooLarge(catalogueByteLimit + 1, 'a');
    std::string atLimit(catalogueByteLimit - 3, ';');
    atLimit += "\na\n";
    const std::vector<CatalogueEntry> read = {stray, brain, eyes, fist, eyes};
    const ReadCase cases[] = {
        {"code page 932", cp932, read, {"頭", "腕"}},
        {"UTF-8", utf8Bytes(everyForm), read, {"頭", "腕"}},
        {"UTF-8 with the byte-order mark",
         std::string(utf8ByteOrderMark) + utf8Bytes(everyForm),
         read,
         {"頭", "腕"}},
        {"a name alone, a tab before the timing, a bracket left open",
         "a\n\tオート\n[b\n",
         {{{0, "a", "", "", "", ""}, ""},
          {{0, "", "オート", "", "", ""}, ""},
          {{0, "[b", "", "", "", ""}, ""}},
         {}},
        {"an empty heading ends the group", "[頭]\n[]\nはぐれ\n", {stray}, {"頭"}},
        {"no lines", "", {}, {}},
        {"at the size limit", atLimit, {{{0, "a", "", "", "", ""}, ""}}, {}},
        {"over the size limit", tooLarge, {}, {}, CatalogueProblem::tooLarge},
        {"a NUL byte", std::string("a\0b\n", 4), {}, {}, CatalogueProblem::notText},
        {"a lead byte without its trail byte", "\x82 a\n", {}, {}, CatalogueProblem::notText},
        {"code page 932 after the byte-order mark",
         std::string(utf8ByteOrderMark) + "のうみそ",
         {},
         {},
         CatalogueProblem::notText},
    };
    ScratchFolder folder;
    for (const ReadCase& c : cases) {
        writeBytes(folder.file("catalogue.txt"), c.bytes);
        for (const Catalogue& catalogue :
             {readCatalogueText(c.bytes), readCatalogue(folder.file("catalogue.txt"))}) {
            EXPECT_EQ(catalogue.problem, c.problem) << c.what;
            EXPECT_EQ(catalogue.groups, c.groups) << c.what;
            ASSERT_EQ(catalogue.entries.size(), c.entries.size()) << c.what;
            for (std::size_t i = 0; i < c.entries.size(); ++i) {
                EXPECT_EQ(catalogue.entries[i].entry, c.entries[i].entry) << c.what << ", entry " << i;
                EXPECT_EQ(catalogue.entries[i].group, c.entries[i].group) << c.what << ", entry " << i;
            }
        }
    }
    EXPECT_EQ(readCatalogue(folder.file("none.txt")).problem, CatalogueProblem::missing);
    EXPECT_EQ(readCatalogue(folder.file("")).problem, CatalogueProblem::missing) << "a folder";
}

// A shipped catalogue's path as the narrow file functions take it: Windows
// names files in code page 932, Linux stores the name's UTF-8 bytes.
std::string shippedCatalogue([[maybe_unused]] const char* name,
                             [[maybe_unused]] std::u8string_view utf8Name) {
#ifdef _WIN32
    return fixturePath(std::string("../../Database/") + name);
#else
    return fixturePath("../../Database/" + utf8Bytes(utf8Name));
#endif
}

TEST(ReadCatalogue, ShipsTheNewSheetsPartsUnderTheirLocations) {
    const Catalogue catalogue = readCatalogue(shippedCatalogue("パーツ.txt", u8"パーツ.txt"));
    ASSERT_EQ(catalogue.groups, (std::vector<std::string>{"頭", "腕", "胴", "脚"}));
    for (std::size_t i = 0; i < bodyLocations.size(); ++i) {
        std::vector<PartEntry> parts = standardParts(bodyLocations[i]), shipped;
        parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
        for (const CatalogueEntry& entry : catalogue.entries)
            if (entry.group == catalogue.groups[i])
                shipped.push_back(entry.entry);
        EXPECT_EQ(shipped, parts) << catalogue.groups[i];
    }
    const Catalogue skills = readCatalogue(shippedCatalogue("スキル.txt", u8"スキル.txt"));
    EXPECT_FALSE(skills.entries.empty());
    EXPECT_EQ(fittingGroups(skills, dollChoicesOf({"ノクターン"})), std::vector<std::string>{"ノクターン"});
}

struct MatchCase {
    const char* name;
    const char* effect;
    const char* search;
    bool matches;
};

TEST(MatchesSearch, FoldsKanaWidthAndCaseAndKeepsCharactersWhole) {
    const MatchCase cases[] = {
        {"のうみそ", "", "ノウミソ", true},
        {"のうみそ", "", "ﾉｳﾐｿ", true},
        {"ガトリング", "", "ｶﾞﾄﾘﾝｸﾞ", true},
        {"ｶﾞﾄﾘﾝｸﾞ", "", "がと", true},
        {"ヴァイオリン", "", "ｳﾞｧ", true},
        {"パンチ", "", "ﾊﾟﾝﾁ", true},
        {"ハンチ", "", "ﾊﾟ", false},
        {"ＭＡＸ１", "", "max1", true},
        {"max1", "", "ＭＡＸ１", true},
        {"こぶし", "肉弾攻撃1", "肉弾 こぶ", true},
        {"こぶし", "肉弾攻撃1", "肉弾 あし", false},
        {"こぶし", "肉弾攻撃1", "　　", true},
        {"こぶし", "肉弾攻撃1", "頭", true}, // the heading
        {"こぶし", "肉弾攻撃1", "し肉", false},
        {"表", "", "\\", false},  // 表 ends in 0x5C
        {"ャa", "", "ヂ", false}, // ャ ends in 0x83, ヂ is 0x83 0x61
    };
    for (const MatchCase& c : cases) {
        const FoldedEntry entry = foldEntry({{0, c.name, "オート", "", "", c.effect}, "頭"});
        EXPECT_EQ(matchesSearch(entry, searchWords(c.search)), c.matches) << c.name << " / " << c.search;
    }
}

TEST(MatchesSearch, FindsNamesByTheirBeginning) {
    const FoldedEntry entry = foldEntry(brain);
    EXPECT_TRUE(nameBeginsWith(entry, foldForSearch("ﾉｳ")));
    EXPECT_FALSE(nameBeginsWith(entry, foldForSearch("うみ")));
    Catalogue catalogue{{{brain.entry, "胴"}, brain, eyes}, {}};
    EXPECT_EQ(findCatalogueEntry(catalogue, "のうみそ", "頭"), &catalogue.entries[1]);
    EXPECT_EQ(findCatalogueEntry(catalogue, "のうみそ", "脚"), &catalogue.entries[0]);
    EXPECT_EQ(findCatalogueEntry(catalogue, "ノウミソ", "頭"), nullptr);
}

struct WriteCase {
    const char* what;
    std::string old;
    std::vector<PartEntry> entries;
    const char* heading;
    std::string written;               // the whole new text
    std::array<std::size_t, 3> counts; // added, replaced, left out
    CatalogueProblem problem = CatalogueProblem::none;
};

TEST(RegisterEntries, ChangesOnlyTheirLinesAndReadsThemBack) {
    const PartEntry fist = {1, "こぶし", "アクション", "2", "0", "肉弾攻撃1"},
                    brain = {0, "ノウミソ", "", "", "", ""};
    const std::string bom(utf8ByteOrderMark), fistLine = "こぶし\tアクション\t2\t0\t肉弾攻撃1";
    // clang-format off
    const WriteCase cases[] = {
        {"code page 932: a comment kept, a name replaced where it stands, a new one after the heading's last",
         "; 頭\r\n[頭]\r\nのうみそ\r\nめだま\r\n\r\n[腕]\r\nかた\r\n", {brain, fist}, "頭",
         "; 頭\r\n[頭]\r\nノウミソ\t\t\t\t\r\nめだま\r\n" + fistLine + "\r\n\r\n[腕]\r\nかた\r\n", {1, 1, 0}},
        {"UTF-8 without a final line end: a new heading at the end", utf8Bytes(u8"[頭]\nのうみそ"), {fist}, "腕",
         utf8Bytes(u8"[頭]\nのうみそ\n[腕]\nこぶし\tアクション\t2\t0\t肉弾攻撃1"), {1, 0, 0}},
        {"UTF-8 with the mark: under no heading, before the first", bom + utf8Bytes(u8"はぐれ\r\n[頭]\r\n"),
         {brain}, "", bom + utf8Bytes(u8"はぐれ\r\nノウミソ\t\t\t\t\r\n[頭]\r\n"), {1, 0, 0}},
        {"a new file", "", {fist, brain}, " 頭 ", "[頭]\r\n" + fistLine + "\r\nノウミソ\t\t\t\t\r\n", {2, 0, 0}},
        {"names that would read as a comment and a heading", "a\n", {{0, ";x", "", "", "", ""}, {0, "[y]", "", "", "", ""}},
         "", "a\n", {0, 0, 2}},
        {"no text", std::string("\0", 1), {fist}, "頭", "", {0, 0, 0}, CatalogueProblem::notText},
    };
    // clang-format on
    for (const WriteCase& c : cases) {
        const CatalogueRegistration r = registerEntries(c.old, c.entries, c.heading);
        EXPECT_EQ(r.problem, c.problem) << c.what;
        EXPECT_EQ(r.text, c.written) << c.what;
        EXPECT_EQ((std::array{r.added, r.replaced, r.leftOut}), c.counts) << c.what;
        const Catalogue back = readCatalogueText(r.text);
        for (const PartEntry& entry : r.registered) {
            const CatalogueEntry* found = findCatalogueEntry(back, entry.name, r.heading);
            EXPECT_TRUE(found != nullptr && found->entry == entry && found->group == r.heading) << c.what;
        }
    }
    EXPECT_EQ(registrationSummary(registerEntries(cases[0].old, cases[0].entries, "頭"), "C:\\パーツ.txt"),
              "2 件を C:\\パーツ.txt の [頭] に登録します（うち 1 件は置き換え）");
}

TEST(RegisterInCatalogue, MergesWhatAnotherWriterPutThereMeanwhile) {
    ScratchFolder folder;
    const std::string path = folder.file("catalogue.txt");
    writeBytes(path, "[頭]\r\nA\r\n");
    int replaces = 0;
    const CatalogueRegistration merged = registerInCatalogue(path, {{0, "B", "", "", "", ""}}, "頭", [&] {
        if (replaces++ == 0)
            writeBytes(path, "[頭]\r\nA\r\nC\r\n");
    });
    EXPECT_EQ(merged.problem, CatalogueProblem::none);
    EXPECT_EQ(readBytes(path), "[頭]\r\nA\r\nC\r\nB\t\t\t\t\r\n");
    const CatalogueRegistration busy = registerInCatalogue(
        path, {{0, "D", "", "", "", ""}}, "頭", [&] { writeBytes(path, std::to_string(replaces++)); });
    EXPECT_EQ(busy.problem, CatalogueProblem::keptChanging);
    EXPECT_EQ(readBytes(path), std::to_string(replaces - 1)) << "the other writer's text kept";
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(registerInCatalogue(path, {{0, "E", "", "", "", ""}}, "頭").problem,
              CatalogueProblem::readOnly);
    EXPECT_EQ(readBytes(path), std::to_string(replaces - 1));
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

TEST(FittingGroups, AreTheHeadingsNamingTheDollsChoicesFolded) {
    const Catalogue catalogue{{}, {"頭", "レクイエム", "ｱﾘｽ", "その他"}};
    EXPECT_EQ(fittingGroups(catalogue, dollChoicesOf({"アリス", "れくいえむ", ""})),
              (std::vector<std::string>{"レクイエム", "ｱﾘｽ"}));
    EXPECT_TRUE(fittingGroups(catalogue, dollChoicesOf({"", "", ""})).empty());
}

} // namespace
