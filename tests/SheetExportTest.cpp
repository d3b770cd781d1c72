#include "export/SheetCommand.h"
#include "export/SheetOutputs.h"
#include "sheet/CodePage932.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace std::string_literals;

// Every code that decodes to a character encodes back to itself, or, where
// Windows gives one character several codes, to one that decodes the same.
TEST(CodePage932, EveryCharacterComesBackTheOtherWay) {
    const std::string replacement = utf8Bytes(u8"\uFFFD");
    int characters = 0, sharedCodes = 0;
    for (const std::string& code : codePage932Codes()) {
        const std::string utf8 = codePage932ToUtf8(code);
        if (utf8 == replacement)
            continue;
        ++characters;
        ASSERT_TRUE(isUtf8(utf8)) << code;
        const std::string back = utf8ToCodePage932(utf8);
        sharedCodes += back != code;
        EXPECT_EQ(codePage932ToUtf8(back), utf8) << code;
    }
    EXPECT_EQ(characters, 9672);
    EXPECT_EQ(sharedCodes, 398); // the NEC and IBM rows' twins
}

TEST(CodePage932ToUtf8, ReplacesEachBrokenCharacterOnce) {
    const struct {
        std::string cp932;
        std::u8string utf8;
    } cases[] = {
        {"A\x82\xA0", u8"Aあ"},
        {"\x81\x60\xED\x40\xFA\x5C", u8"～纊纊"},                          // the characters Windows gives
        {"\x80\xA0\xFD\xFE\xFF\xDF", u8"\u0080\uF8F0\uF8F1\uF8F2\uF8F3ﾟ"}, // Windows' own single bytes
        {"x\x81", u8"x\uFFFD"},                                            // a lead byte at the end
        {"\x81\n\x9F\"", u8"\uFFFD\n\uFFFD\""}, // no trail byte: the next is itself
        {"\x85\x40\xFC\xFC", u8"\uFFFD\uFFFD"}, // no character at a pair's code
    };
    for (const auto& [cp932, utf8] : cases)
        EXPECT_EQ(codePage932ToUtf8(cp932), utf8Bytes(utf8)) << cp932;
}

struct CommandRun {
    int status;
    std::string out, err;
};

CommandRun runCommand(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int status = runSheetCommand(arguments, out, err);
    return {status, out.str(), err.str()};
}

// The expected files were made by this program and read through by hand.
TEST(SheetOutputs, MatchTheCheckedFiles) {
    for (const char* sheet : {"new-sheet", "full-sheet"})
        for (const auto& [verb, extension] : {std::pair{"text", ".text.txt"},
                                              {"piece", ".piece.json"},
                                              {"json", ".json"},
                                              {"html", "-page.html"}}) {
            const CommandRun run = runCommand({verb, fixturePath(sheet + ".txt"s)});
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out, readBytes(fixturePath(sheet + std::string(extension))))
                << sheet << " " << verb;
        }
}

TEST(SheetOutputs, ParseBackWithEveryMemberAndTheirNumbers) {
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(fixturePath("full-sheet.txt")));
    const auto record = nlohmann::json::parse(sheetJson(sheet));
    std::vector<std::string> keys;
    for (const auto& [key, value] : record.items())
        keys.push_back(key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{
                  "ageAtDeath", "armament",  "dollName",   "favorPoints",    "format",   "initialPlacement",
                  "karma",      "mainClass", "maxAction",  "maxActionBonus", "memories", "modification",
                  "mutation",   "parts",     "playerName", "portraitPath",   "position", "regrets",
                  "skills",     "subClass",  "suggestion"}));
    EXPECT_EQ(record["format"], 1002);
    EXPECT_EQ(record["favorPoints"], 12);
    EXPECT_EQ(record["maxAction"], 8);
    EXPECT_EQ(record["memories"][4]["number"], 56);
    EXPECT_EQ(record["regrets"][5]["madnessPoints"], 4);
    EXPECT_EQ(record["parts"]["legs"][3]["checkMark"], true);
    EXPECT_EQ(record["parts"]["legs"].size(), 10u);

    const auto piece = nlohmann::json::parse(sheetPiece(sheet).dump());
    EXPECT_EQ(piece["kind"], "character");
    EXPECT_EQ(piece["data"]["initiative"], 8);
    EXPECT_EQ(piece["data"]["status"].size(), 7u);
    EXPECT_EQ(piece["data"]["status"][3]["value"], 3);
    EXPECT_EQ(piece["data"]["params"][3]["value"], "12");
}

// A failed run writes nothing and leaves the file that -o names alone.
TEST(SheetCommand, RefusesWhatIsNoSheetAndBadArguments) {
    ScratchFolder folder;
    const std::string out = folder.file("out.txt"), utf16 = folder.file("utf16.txt");
    writeBytes(out, "kept");
    writeBytes(utf16, "\xFF\xFE"s + "1\0"
                                    "0\0"
                                    "0\0"
                                    "2\0"
                                    "\r\0\n\0"s);
    const std::string sheet = fixturePath("new-sheet.txt");
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{"json", folder.file("missing.txt"), "-o", out}, 1},
        {{"html", fixturePath("portrait-red-over-blue.jpg"), "-o", out}, 1},
        {{"text", utf16, "-o", out}, 1},
        {{folder.file("missing.txt")}, 1},
        {{}, 2},
        {{"text"}, 2},
        {{"text", sheet, sheet}, 2},
        {{"text", sheet, "-o"}, 2},
        {{"piece", sheet, "-x", out}, 2},
        {{sheet, "-o", out}, 2},
        {{"text", out, "-o", out}, 2},
        {{"udonarium", sheet, folder.file("missing.txt"), "-o", out}, 1},
        {{"udonarium"}, 2},
        {{"udonarium", sheet, "-x"}, 2},
        {{"udonarium", out, "-o", out}, 2},
    };
    for (const auto& [arguments, status] : cases) {
        const CommandRun run = runCommand(arguments);
        EXPECT_EQ(run.status, status) << ::testing::PrintToString(arguments);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
    EXPECT_EQ(readBytes(out), "kept");
}

TEST(SheetCommand, WritesToOutAndThePageBesideEachSheet) {
    ScratchFolder folder;
    const std::string sheet = folder.file("リリィ.txt"), saved = folder.file("saved.json");
    writeBytes(sheet, readBytes(fixturePath("example-sheet.txt")));
    EXPECT_EQ(runCommand({"json", "-o", saved, sheet}).status, 0);
    EXPECT_EQ(readBytes(saved), runCommand({"json", sheet}).out);

    // "ソ" ends in the byte of a backslash.
    const std::string backslashByte = folder.file("ソ.txt");
    writeBytes(backslashByte, readBytes(sheet));
    const CommandRun run = runCommand({sheet, saved, backslashByte});
    EXPECT_EQ(run.status, 1); // the second is no sheet, and the others still get their pages
    EXPECT_EQ(run.out, folder.file("リリィ.html") + "\n" + folder.file("ソ.html") + "\n");
    EXPECT_TRUE(fileExists(folder.file("リリィ.html")));

    // A sheet from another player names the portrait on their disk; the
    // picture came along beside the sheet.
    const std::string shared = folder.file("shared.txt"), picture = "<img alt=\"\" src=\"data:image/jpeg;";
    writeBytes(shared, "1002\r\nC:\\Users\\ほかの人\\Pictures\\リリィ.jpg\r\nリリィ\r\n");
    writeBytes(folder.file("リリィ.jpg"), readBytes(fixturePath("portrait-red-over-blue.jpg")));
    EXPECT_NE(runCommand({"html", shared}).out.find(picture), std::string::npos);
}

} // namespace
