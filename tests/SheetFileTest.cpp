#include "sheet/CharacterSheet.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"

#include "SheetPrinters.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>

namespace {

using namespace std::string_literals;

// Every member that the file stores, for comparing two records.
void expectSameSheet(const CharacterSheet& a, const CharacterSheet& b) {
    EXPECT_EQ(a.getPortraitPath(), b.getPortraitPath());
    EXPECT_EQ(a.getDollName(), b.getDollName());
    EXPECT_EQ(a.getPlayerName(), b.getPlayerName());
    EXPECT_EQ(a.getFavorPoints(), b.getFavorPoints());
    EXPECT_EQ(a.getAgeAtDeath(), b.getAgeAtDeath());
    EXPECT_EQ(a.getSuggestion(), b.getSuggestion());
    EXPECT_EQ(a.getKarma(), b.getKarma());
    EXPECT_EQ(a.getPosition(), b.getPosition());
    EXPECT_EQ(a.getMainClass(), b.getMainClass());
    EXPECT_EQ(a.getSubClass(), b.getSubClass());
    EXPECT_EQ(a.getArmament(), b.getArmament());
    EXPECT_EQ(a.getMutation(), b.getMutation());
    EXPECT_EQ(a.getModification(), b.getModification());
    EXPECT_EQ(a.getMemories(), b.getMemories());
    EXPECT_EQ(a.getSkills(), b.getSkills());
    EXPECT_EQ(a.getRegrets(), b.getRegrets());
    EXPECT_EQ(a.getMaxActionBonus(), b.getMaxActionBonus());
    EXPECT_EQ(a.getInitialPlacement(), b.getInitialPlacement());
    for (BodyLocation location : bodyLocations)
        EXPECT_EQ(a.getParts(location), b.getParts(location));
}

void expectFixedRows(const CharacterSheet& sheet) {
    EXPECT_EQ(sheet.getKarma().size(), 3u);
    EXPECT_EQ(sheet.getMemories().size(), 6u);
    EXPECT_EQ(sheet.getRegrets().size(), 6u);
}

// The example doll リリィ.
void fillExample(CharacterSheet& sheet) {
    sheet.setDollName("リリィ");
    sheet.setPlayerName("Ken");
    sheet.setFavorPoints(3);
    sheet.setAgeAtDeath("12");
    sheet.setArmament(1);
    sheet.setMutation(0);
    sheet.setModification(2);
    sheet.setKarma({"記憶のカケラを獲得する", "", ""});
    auto memories = sheet.getMemories();
    memories[0] = {"花", 5, "約束"};
    sheet.setMemories(memories);
    sheet.setSkills({{"加速", "オート", "なし", "自身", "移動1"}});
    auto regrets = sheet.getRegrets();
    regrets[0] = {"たからもの", "依存", 2, "幼児退行(最大行動値-2)"};
    sheet.setRegrets(regrets);
    sheet.setMaxActionBonus(1);
    sheet.setInitialPlacement(1);
    sheet.setHeadParts({{0, "のうみそ", "オート", "なし", "なし", "最大行動値+2"}});
}

std::string crlfLines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

class SheetFile : public testing::Test {
protected:
    ScratchFolder folder;
    std::string path = folder.file("sheet.txt");
};

TEST_F(SheetFile, WritesTheExampleDollByteForByte) {
    CharacterSheet sheet;
    fillExample(sheet);
    ASSERT_TRUE(sheet.saveSheet(path));
    EXPECT_EQ(readBytes(path), readBytes(fixturePath("example-sheet.txt")));
}

TEST_F(SheetFile, ReadsTheExampleDollBack) {
    CharacterSheet expected;
    fillExample(expected);
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(fixturePath("example-sheet.txt")));
    expectSameSheet(sheet, expected);
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    CharacterSheet fromBytes;
    ASSERT_TRUE(fromBytes.loadSheetText(readBytes(fixturePath("example-sheet.txt")), ""));
    expectSameSheet(fromBytes, expected);
}

TEST_F(SheetFile, WritesAnUntouchedRecordWithItsEmptyRows) {
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.saveSheet(path));
    EXPECT_EQ(readBytes(path), crlfLines({"1002",
                                          "",
                                          "",
                                          "",
                                          "0",
                                          "",
                                          "",
                                          ",,",
                                          "",
                                          "",
                                          "",
                                          "0,0,0",
                                          ",0,:,0,:,0,:,0,:,0,:,0,",
                                          "",
                                          ",,0,:,,0,:,,0,:,,0,:,,0,:,,0,",
                                          "0",
                                          "-1",
                                          "",
                                          "",
                                          "",
                                          ""}));
}

TEST_F(SheetFile, KeepsNegativeNumbersAndSeparatorsOnSingleTextLines) {
    CharacterSheet sheet;
    sheet.setPortrait("C:\\画像\\a,b:c.jpg");
    sheet.setDollName("x,y:z");
    sheet.setFavorPoints(-3);
    sheet.setArmament(-1);
    sheet.setMutation(-2147483647 - 1);
    sheet.setMaxActionBonus(-2);
    ASSERT_TRUE(sheet.saveSheet(path));
    CharacterSheet back;
    ASSERT_TRUE(back.loadSheet(path));
    expectSameSheet(back, sheet);
    EXPECT_EQ(back.getInitialPlacement(), -1);
}

TEST_F(SheetFile, ReadsFormat1000WithoutAPortraitLine) {
    // Older files have no portrait line: the doll name is on line 2 and
    // every later line moves up by one.
    writeBytes(path, crlfLines({"1000",
                                "リリィ",
                                "Ken",
                                "3",
                                "12",
                                "",
                                "k1,k2,k3",
                                "",
                                "",
                                "",
                                "1,0,2",
                                "花,5,約束:,0,:,0,:,0,:,0,:,0,",
                                "",
                                ",,0,:,,0,:,,0,:,,0,:,,0,:,,0,",
                                "1",
                                "2",
                                "1,あご,アクション,2,0,肉弾攻撃1",
                                "",
                                "",
                                ""}));
    CharacterSheet sheet;
    sheet.setPortrait("old.bmp");
    ASSERT_TRUE(sheet.loadSheet(path));
    EXPECT_EQ(sheet.getPortraitPath(), "old.bmp");
    EXPECT_EQ(sheet.getDollName(), "リリィ");
    EXPECT_EQ(sheet.getKarma(), (std::vector<std::string>{"k1", "k2", "k3"}));
    EXPECT_EQ(sheet.getModification(), 2);
    EXPECT_EQ(sheet.getInitialPlacement(), 2);
    EXPECT_EQ(sheet.getHeadParts(),
              (std::vector<PartEntry>{{1, "あご", "アクション", "2", "0", "肉弾攻撃1"}}));
}

TEST_F(SheetFile, ReadsLaterFormatsLikeTheCurrentOne) {
    for (const char* format : {"1001", "1003", "2000", "1002 \t", "+1002"}) {
        writeBytes(path, crlfLines({format, "C:\\p.bmp", "name"}));
        CharacterSheet sheet;
        ASSERT_TRUE(sheet.loadSheet(path));
        EXPECT_EQ(sheet.getPortraitPath(), "C:\\p.bmp") << format;
        EXPECT_EQ(sheet.getDollName(), "name") << format;
    }
    for (const char* format : {"-5", "999"}) {
        writeBytes(path, crlfLines({format, "name"}));
        CharacterSheet sheet;
        ASSERT_TRUE(sheet.loadSheet(path));
        EXPECT_EQ(sheet.getDollName(), "name") << format;
    }
}

// A file that is refused leaves the record as the example doll.
void expectRefusedAndUntouched(const std::string& path, const std::string& what) {
    CharacterSheet sheet;
    fillExample(sheet);
    EXPECT_FALSE(sheet.loadSheet(path)) << what;
    EXPECT_FALSE(sheet.loadSheetText(readBytes(path), path)) << what << ", from its bytes";
    CharacterSheet expected;
    fillExample(expected);
    expectSameSheet(sheet, expected);
}

TEST_F(SheetFile, SkipsTheByteOrderMarkBeforeTheFormatNumber) {
    writeBytes(path, "\xEF\xBB\xBF" + crlfLines({"1002", "C:\\p.bmp", "name"}));
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(path));
    EXPECT_EQ(sheet.getPortraitPath(), "C:\\p.bmp");
    EXPECT_EQ(sheet.getDollName(), "name");
}

TEST_F(SheetFile, RefusesFilesThatAreNoSheet) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"empty first line", crlfLines({"", "name"})},
        {"JPEG", "\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01"s},
        {"UTF-16 text", "\xFF\xFE\x31\0\x30\0\x30\0\x32\0\r\0\n\0"s},
        {"ZIP", "PK\x03\x04\x14\0\0\0"s},
        {"text", crlfLines({"リリィの設定", "name"})},
        {"number and text", crlfLines({"1002 trailing", "", "name"})},
        {"leading blank", crlfLines({" 1002", "", "name"})},
        {"sign alone", crlfLines({"-", "", "name"})},
        {"NUL in a line", "1002\r\n\r\nna\0me\r\n"s},
        {"NUL in the last line read",
         crlfLines({"1002", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}) +
             "x\0"s},
    };
    for (const auto& c : cases) {
        writeBytes(path, c.bytes);
        expectRefusedAndUntouched(path, c.what);
    }
}

TEST_F(SheetFile, ReadsASheetWithNulBytesPastItsLines) {
    writeBytes(path, crlfLines({"1002", "", "name", "", "", "", "", "", "", "", "",
                                "",     "", "",     "", "", "", "", "", "", ""}) +
                         std::string("\0\0", 2));
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(path));
    EXPECT_EQ(sheet.getDollName(), "name");
}

TEST_F(SheetFile, ReadsLineFeedEndsAndALastLineWithoutOne) {
    writeBytes(path, "1002\n\nname\nplayer");
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(path));
    EXPECT_EQ(sheet.getDollName(), "name");
    EXPECT_EQ(sheet.getPlayerName(), "player");
}

TEST_F(SheetFile, EmptyListLinesHoldNoEntries) {
    CharacterSheet sheet;
    sheet.setSkills({{"a", "b", "c", "d", "e"}});
    sheet.setTorsoParts({{}});
    writeBytes(path, crlfLines({"1002", "", "", "", "", "", "", "", "", "", "",
                                "",     "", "", "", "", "", "", "", "", ""}));
    ASSERT_TRUE(sheet.loadSheet(path));
    EXPECT_TRUE(sheet.getSkills().empty());
    for (BodyLocation location : bodyLocations)
        EXPECT_TRUE(sheet.getParts(location).empty());
    // The fixed rows keep their count even where their lines are empty.
    EXPECT_EQ(sheet.getMemories(), std::vector<MemoryFragment>(6));
    EXPECT_EQ(sheet.getRegrets(), std::vector<Regret>(6));
    EXPECT_EQ(sheet.getKarma(), std::vector<std::string>(3));
}

TEST_F(SheetFile, ListEntriesCarryNoSeparatorsAndNoLineBreaks) {
    // Separators inside list texts would shift every later field when read
    // back, so the writer puts the full-width characters in their place.
    CharacterSheet sheet;
    sheet.setKarma({"a,b:c", "line\r\nbreak", ""});
    sheet.setSkills({{"n,1", "t:2", "c,:", "r", "e\n"}});
    sheet.setLegParts({{1, "ほね,", ":", "", "", ""}});
    auto memories = sheet.getMemories();
    memories[5] = {"t,", 3, ":c"};
    sheet.setMemories(memories);
    auto regrets = sheet.getRegrets();
    regrets[2] = {"x:y", "a,b", 4, "m"};
    sheet.setRegrets(regrets);
    sheet.setDollName("two\nlines");
    ASSERT_TRUE(sheet.saveSheet(path));
    CharacterSheet back;
    ASSERT_TRUE(back.loadSheet(path));
    EXPECT_EQ(back.getKarma(), (std::vector<std::string>{"a，b:c", "line  break", ""}));
    EXPECT_EQ(back.getSkills(), (std::vector<SkillEntry>{{"n，1", "t：2", "c，：", "r", "e "}}));
    EXPECT_EQ(back.getLegParts(), (std::vector<PartEntry>{{1, "ほね，", "：", "", "", ""}}));
    EXPECT_EQ(back.getMemories()[5], (MemoryFragment{"t，", 3, "：c"}));
    EXPECT_EQ(back.getRegrets()[2], (Regret{"x：y", "a，b", 4, "m"}));
    EXPECT_EQ(back.getDollName(), "two lines");
    EXPECT_EQ(back.getArmament(), 0);
    const std::string bytes = readBytes(path);
    std::size_t lineEnds = 0;
    for (auto at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
        ++lineEnds;
    EXPECT_EQ(lineEnds, 21u);
}

TEST_F(SheetFile, ShortEntriesReadMissingFieldsAsEmpty) {
    writeBytes(path, crlfLines({"1002",
                                "",
                                "",
                                "",
                                "",
                                "",
                                "",
                                "only",
                                "",
                                "",
                                "",
                                "7",
                                "t:x,9:,:a,1,b,surplus",
                                "s:,,,,,,extra",
                                "r",
                                "",
                                "",
                                "1",
                                "0,a,b:",
                                "",
                                ""}));
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(path));
    EXPECT_EQ(sheet.getKarma(), (std::vector<std::string>{"only", "", ""}));
    EXPECT_EQ(sheet.getArmament(), 7);
    EXPECT_EQ(sheet.getMutation(), 0);
    EXPECT_EQ(sheet.getMemories(),
              (std::vector<MemoryFragment>{{"t", 0, ""}, {"x", 9, ""}, {}, {"a", 1, "b"}, {}, {}}));
    EXPECT_EQ(sheet.getSkills(), (std::vector<SkillEntry>{{"s", "", "", "", ""}, {"", "", "", "", ""}}));
    EXPECT_EQ(sheet.getRegrets(), (std::vector<Regret>{{"r", "", 0, ""}, {}, {}, {}, {}, {}}));
    EXPECT_EQ(sheet.getHeadParts(), (std::vector<PartEntry>{{1, "", "", "", "", ""}}));
    EXPECT_EQ(sheet.getArmParts(), (std::vector<PartEntry>{{0, "a", "b", "", "", ""}, {}}));
    EXPECT_TRUE(sheet.getTorsoParts().empty());
    EXPECT_TRUE(sheet.getLegParts().empty());
}

TEST_F(SheetFile, SurplusRowsAndKarmaAreDropped) {
    writeBytes(path, crlfLines({"1002", "", "", "", "", "", "", "1,2,3,4,5", "", "", "", "",
                                "a:b:c:d:e:f:g:h", "", "1:2:3:4:5:6:7:8:9", "", ""}));
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(path));
    expectFixedRows(sheet);
    EXPECT_EQ(sheet.getKarma(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(sheet.getMemories()[5].title, "f");
    EXPECT_EQ(sheet.getRegrets()[5].target, "6");
}

TEST_F(SheetFile, AFileThatEndsEarlyReadsEmptyLines) {
    CharacterSheet sheet;
    fillExample(sheet);
    writeBytes(path, "1002\r\n\r\nname\r\n");
    ASSERT_TRUE(sheet.loadSheet(path));
    expectFixedRows(sheet);
    EXPECT_EQ(sheet.getDollName(), "name");
    EXPECT_EQ(sheet.getPlayerName(), "");
    EXPECT_EQ(sheet.getMemories(), std::vector<MemoryFragment>(6));
    EXPECT_TRUE(sheet.getSkills().empty());
    EXPECT_EQ(sheet.getInitialPlacement(), 0);
}

TEST_F(SheetFile, KeepsHighBytesInTextsAndRefusesNulBytes) {
    CharacterSheet sheet;
    const std::string odd("ab\x1a\xff\x80", 5);
    sheet.setDollName(odd);
    sheet.setSkills({{odd, "", "", "", ""}});
    ASSERT_TRUE(sheet.saveSheet(path));
    CharacterSheet back;
    ASSERT_TRUE(back.loadSheet(path));
    EXPECT_EQ(back.getDollName(), odd);
    EXPECT_EQ(back.getSkills()[0].name, odd);
    // No control can hold a NUL; a file with one is no sheet of ours.
    sheet.setDollName(std::string("a\0b", 3));
    ASSERT_TRUE(sheet.saveSheet(path));
    expectRefusedAndUntouched(path, "NUL in a text");
}

TEST_F(SheetFile, ReadsAHugeLine) {
    const std::string huge(50u << 20, 'x');
    writeBytes(path, "1002\r\n\r\n" + huge + "\r\nKen\r\n");
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(path));
    EXPECT_EQ(sheet.getDollName().size(), huge.size());
    EXPECT_EQ(sheet.getPlayerName(), "Ken");
}

TEST_F(SheetFile, SurvivesRandomBytes) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 4000, '\0');
        for (char& byte : bytes) {
            // Lean towards the bytes the reader cuts at.
            const unsigned pick = random() % 8;
            byte = pick == 0 ? ',' : pick == 1 ? ':' : pick == 2 ? '\n' : static_cast<char>(random());
        }
        // Half the rounds are sheets: a format number and no NUL byte. Of the
        // others, half start like a sheet but hold a NUL on their second line.
        const bool sheetLike = round % 2 == 0;
        if (sheetLike) {
            std::replace(bytes.begin(), bytes.end(), '\0', '\x01');
            bytes.insert(0, "1002\r\n");
        } else if (round % 4 == 1) {
            bytes.insert(0, std::string("1002\r\n\0", 7));
        }
        writeBytes(path, bytes);
        if (!sheetLike) {
            expectRefusedAndUntouched(path, "round " + std::to_string(round));
            continue;
        }
        CharacterSheet sheet;
        ASSERT_TRUE(sheet.loadSheet(path));
        expectFixedRows(sheet);
    }
}

TEST_F(SheetFile, MissingFileLeavesTheRecordAsItWas) {
    CharacterSheet sheet;
    fillExample(sheet);
    EXPECT_FALSE(sheet.loadSheet(folder.file("none.txt")));
    CharacterSheet expected;
    fillExample(expected);
    expectSameSheet(sheet, expected);
}

TEST_F(SheetFile, ReplacesAnOlderFileAndLeavesNoTemporaryFile) {
    writeBytes(path, std::string(100000, 'o'));
    CharacterSheet sheet;
    fillExample(sheet);
    ASSERT_TRUE(sheet.saveSheet(path));
    EXPECT_EQ(readBytes(path), readBytes(fixturePath("example-sheet.txt")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()),
                            std::filesystem::directory_iterator()),
              1);
}

// The file of the longest name that the folder takes, made with the
// program's own file functions: a temporary file beside it, whose name is
// the file's and more, cannot be made.
std::string longestNamedFile(const ScratchFolder& folder) {
    for (std::size_t length = 255; length > 0; --length) {
        const std::string path = folder.file(std::string(length, 'n'));
        if (std::FILE* file = openForWriting(path)) {
            std::fclose(file);
            return path;
        }
    }
    return {};
}

TEST_F(SheetFile, AFailedSaveSaysSoAndKeepsThePreviousFile) {
    // Nothing can be written where the temporary file must go.
    const std::string longest = longestNamedFile(folder);
    ASSERT_FALSE(longest.empty());
    writeBytes(longest, "previous");
    CharacterSheet sheet;
    fillExample(sheet);
    EXPECT_FALSE(sheet.saveSheet(longest));
    EXPECT_EQ(readBytes(longest), "previous");
    EXPECT_FALSE(sheet.saveSheet(folder.file("no folder/sheet.txt")));
}

// Others at the same file while a save replaces it. A reader that opened it
// before keeps reading the old bytes while the file is moved away, as the
// Recycle Bin moves it, and saved anew (Windows replaces no file that is
// still open); another save that lands while this one's temporary file is
// on the disk leaves that file whole; another writer's temporary file beside
// it stays. Every save lands and leaves no temporary file of its own.
TEST_F(SheetFile, ASaveLandsWhileOthersReadOrWriteTheSameFile) {
    const std::string othersTemporary = path + ".saving", movedAway = folder.file("recycled.txt");
    const struct {
        const char* what;
        bool movedAwayWhileRead;
        bool anotherSaveMeanwhile;
        bool othersTemporaryBeside;
    } cases[] = {
        {"alone", false, false, false},
        {"moved away while a reader holds it", true, false, false},
        {"another save lands meanwhile", false, true, false},
        {"another writer's temporary file beside it", false, false, true},
        {"all at once", true, true, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(othersTemporary);
        std::filesystem::remove(movedAway);
        writeBytes(path, "old");
        if (c.othersTemporaryBeside)
            writeBytes(othersTemporary, "other's");
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> reader(
            c.movedAwayWhileRead ? openForReading(path) : nullptr, std::fclose);
        ASSERT_EQ(reader != nullptr, c.movedAwayWhileRead) << c.what;
        std::error_code moved;
        if (c.movedAwayWhileRead)
            std::filesystem::rename(path, movedAway, moved);
        EXPECT_FALSE(moved) << c.what << ": " << moved.message();
        bool otherSaveLanded = true;
        const Replacement outcome = replaceFileContentsIf(path, "new", [&] {
            if (c.anotherSaveMeanwhile)
                otherSaveLanded = replaceFileContents(path, "meanwhile");
            return true;
        });
        EXPECT_EQ(outcome, Replacement::done) << c.what;
        EXPECT_TRUE(otherSaveLanded) << c.what;
        EXPECT_EQ(readBytes(path), "new") << c.what;
        std::set<std::string> names, expected = {"sheet.txt"};
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
            names.insert(entry.path().filename().string());
        if (reader) {
            char read[16];
            EXPECT_EQ(std::string(read, std::fread(read, 1, sizeof read, reader.get())), "old") << c.what;
            expected.insert("recycled.txt");
        }
        if (c.othersTemporaryBeside) {
            expected.insert("sheet.txt.saving");
            EXPECT_EQ(readBytes(othersTemporary), "other's") << c.what;
        }
        EXPECT_EQ(names, expected) << c.what;
    }
}

// ---- Round trip of random records ----

class RandomSheet {
public:
    explicit RandomSheet(unsigned seed) : random(seed) {}

    void fill(CharacterSheet& sheet) {
        sheet.setPortrait(text(true));
        sheet.setDollName(text(true));
        sheet.setPlayerName(text(true));
        sheet.setFavorPoints(number());
        sheet.setAgeAtDeath(text(true));
        sheet.setSuggestion(text(true));
        sheet.setKarma({text(false), text(false), text(false)});
        sheet.setPosition(text(true));
        sheet.setMainClass(text(true));
        sheet.setSubClass(text(true));
        sheet.setArmament(number());
        sheet.setMutation(number());
        sheet.setModification(number());
        std::vector<MemoryFragment> memories;
        for (int i = 0; i < 6; ++i)
            memories.push_back({text(false), number(), text(false)});
        sheet.setMemories(memories);
        std::vector<SkillEntry> skills(random() % 51);
        for (SkillEntry& skill : skills)
            skill = {text(false), text(false), text(false), text(false), text(false)};
        sheet.setSkills(skills);
        std::vector<Regret> regrets;
        for (int i = 0; i < 6; ++i)
            regrets.push_back(
                {text(false), text(false), static_cast<std::int32_t>(random() % 5), text(false)});
        sheet.setRegrets(regrets);
        sheet.setMaxActionBonus(number());
        sheet.setInitialPlacement(static_cast<std::int32_t>(random() % 4) - 1);
        for (BodyLocation location : bodyLocations) {
            std::vector<PartEntry> parts(random() % 51);
            for (PartEntry& part : parts)
                part = {static_cast<std::int32_t>(random() % 2),
                        text(false),
                        text(false),
                        text(false),
                        text(false),
                        text(false)};
            sheet.setParts(location, parts);
        }
    }

private:
    // Texts of Japanese and ASCII characters; separators only where the
    // format can carry them.
    std::string text(bool separatorsAllowed) {
        static const char* const pieces[] = {"ア", "ソ", "表", "能", "花", "ー", "，", "：",   "ｱ",       "a",
                                             "Z",  "0",  "-",  " ",  "\\", "(",  "+",  "記憶", "のうみそ"};
        std::string out;
        for (unsigned length = random() % 12; length > 0; --length) {
            const unsigned pick = random() % (std::size(pieces) + (separatorsAllowed ? 2 : 0));
            out += pick < std::size(pieces) ? pieces[pick] : pick == std::size(pieces) ? "," : ":";
        }
        return out;
    }

    std::int32_t number() {
        switch (random() % 4) {
        case 0: return 0;
        case 1: return static_cast<std::int32_t>(random() % 20) - 5;
        default: return static_cast<std::int32_t>(random());
        }
    }

    std::mt19937 random;
};

TEST_F(SheetFile, RandomRecordsReadBackUnchanged) {
    for (unsigned seed = 1; seed <= 100; ++seed) {
        CharacterSheet sheet;
        RandomSheet(seed).fill(sheet);
        ASSERT_TRUE(sheet.saveSheet(path));
        CharacterSheet back;
        ASSERT_TRUE(back.loadSheet(path));
        SCOPED_TRACE(seed);
        expectSameSheet(back, sheet);
        ASSERT_FALSE(HasFailure());
    }
}

TEST(LineReader, GivesUpPastItsByteLimit) {
    ScratchFolder folder;
    writeBytes(folder.file("big.txt"), "first\n" + std::string(200, 'x') + "\n");
    LineReader reader(folder.file("big.txt"), 100);
    std::string line;
    EXPECT_FALSE(reader.readLine(line));
    EXPECT_TRUE(reader.failed());
    EXPECT_EQ(line, "");
}

TEST(LineReader, ReadsLinesAcrossItsBuffer) {
    ScratchFolder folder;
    // Line ends on both sides of the reader's 64 KiB chunks, and a CR LF cut
    // between two chunks.
    const std::string a(65535, 'a'), b(70000, 'b');
    writeBytes(folder.file("lines.txt"), a + "\r\n" + b + "\n\nlast");
    LineReader reader(folder.file("lines.txt"));
    std::string line;
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, a);
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, b);
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(reader.readLine(line));
    EXPECT_FALSE(reader.failed());
}

} // namespace
