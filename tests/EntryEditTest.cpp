#include "sheet/EntryEdit.h"
#include "sheet/EntryClipboard.h"
#include "sheet/NewSheet.h"

#include "SheetPrinters.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using Parts = std::vector<PartEntry>;
using Rows = std::vector<int>;

PartEntry part(std::string name, std::int32_t checkMark = 0) {
    return {checkMark, std::move(name), "", "", "", ""};
}

TEST(ApplyEntryEdit, NameDecidesBetweenStoringAndDeleting) {
    const Parts three = {part("a", 1), part("b", 1), part("c")};
    const struct {
        const char* what;
        int row;
        PartEntry entry;
        Parts after;
    } cases[] = {
        {"a new entry is appended", noRow, part("d"), {part("a", 1), part("b", 1), part("c"), part("d")}},
        {"a chosen row is replaced whole", 1, part("B"), {part("a", 1), part("B"), part("c")}},
        {"an empty name deletes the chosen row", 0, part(""), {part("b", 1), part("c")}},
        {"an empty name without a row changes nothing", noRow, part(""), three},
        {"a blank is a name", 2, part(" "), {part("a", 1), part("b", 1), part(" ")}},
        {"a row past the end appends", 7, part("z"), {part("a", 1), part("b", 1), part("c"), part("z")}},
        {"nothing to delete past the end", 7, part(""), three},
    };
    for (const auto& c : cases)
        EXPECT_EQ(applyEntryEdit(three, c.row, c.entry), c.after) << c.what;
}

// A list of one-letter entries, so that a case reads as "abcde".
Parts lettered(std::string_view letters) {
    Parts list;
    for (char letter : letters)
        list.push_back(part(std::string(1, letter)));
    return list;
}

TEST(ListEdits, SelectedEntriesAreInsertedAfterDeletedAndMoved) {
    using Edit = ListEdit<PartEntry> (*)(Parts, const Rows&);
    const Edit pasteXY = [](Parts list, const Rows& rows) {
        return insertEntries(list, rows, lettered("XY"));
    };
    const Edit remove = [](Parts list, const Rows& rows) { return deleteEntries(list, rows); };
    const Edit up = [](Parts list, const Rows& rows) { return moveEntriesUp(list, rows); };
    const Edit down = [](Parts list, const Rows& rows) { return moveEntriesDown(list, rows); };
    const struct {
        const char* what;
        Edit edit;
        const char* before;
        Rows rows;
        const char* after;
        Rows selected;
    } cases[] = {
        {"paste without a selection goes at the end", pasteXY, "abc", {}, "abcXY", {3, 4}},
        {"paste into an empty list", pasteXY, "", {}, "XY", {0, 1}},
        {"paste goes after the last selected row", pasteXY, "abcde", {0, 3}, "abcdXYe", {4, 5}},
        {"rows out of range are ignored", pasteXY, "abc", {-1, 1, 3}, "abXYc", {2, 3}},
        {"delete selects the row taking the first one's place", remove, "abcde", {1, 3, 3}, "ace", {1}},
        {"delete at the end selects the new last row", remove, "abcde", {3, 4}, "abc", {2}},
        {"delete everything selects nothing", remove, "abc", {0, 1, 2}, "", {}},
        {"delete nothing", remove, "abc", {3, -1}, "abc", {}},
        {"up at the top stays and holds back the next", up, "abcde", {0, 1, 3}, "abdce", {0, 1, 2}},
        {"up keeps a block in order", up, "abcde", {2, 3}, "acdbe", {1, 2}},
        {"up with a stale selection", up, "abcde", {4, 4, 9}, "abced", {3}},
        {"down at the bottom stays and holds back the next", down, "abcde", {1, 3, 4}, "acbde", {2, 3, 4}},
        {"down moves rows apart alike", down, "abcde", {0, 2}, "badce", {1, 3}},
        {"down in an empty list", down, "", {0}, "", {}},
    };
    for (const auto& c : cases) {
        const ListEdit<PartEntry> result = c.edit(lettered(c.before), c.rows);
        EXPECT_EQ(result.entries, lettered(c.after)) << c.what;
        EXPECT_EQ(result.selected, c.selected) << c.what;
    }
}

// Rows dropped before row `at`, in their own list or in another.
TEST(ListEdits, DroppedRowsLandBeforeTheirPlaceInOrder) {
    const struct {
        const char* what;
        const char* source;
        Rows rows;
        const char* target; // null: the rows' own list
        int at;
        bool copy;
        const char* sourceAfter;
        const char* targetAfter;
        Rows selected;
    } cases[] = {
        {"one row up, before a row", "abcde", {3}, nullptr, 1, false, "adbce", "", {1}},
        {"one row down, after a row", "abcde", {1}, nullptr, 4, false, "acdbe", "", {3}},
        {"to the start", "abcde", {2, 4}, nullptr, 0, false, "ceabd", "", {0, 1}},
        {"to the end", "abcde", {0, 2}, nullptr, 5, false, "bdeac", "", {3, 4}},
        {"onto their own place", "abcde", {1, 2}, nullptr, 2, false, "abcde", "", {1, 2}},
        {"rows apart close up around a row among them",
         "abcde",
         {0, 2, 4},
         nullptr,
         2,
         false,
         "baced",
         "",
         {1, 2, 3}},
        {"copied within", "abc", {0, 2}, nullptr, 1, true, "aacbc", "", {1, 2}},
        {"a stale row and a place past the end", "abc", {1, 7}, nullptr, 9, false, "acb", "", {2}},
        {"to another list", "abcde", {1, 3}, "xyz", 1, false, "ace", "xbdyz", {1, 2}},
        {"to the end of an empty list", "abc", {2}, "", 0, false, "ab", "c", {0}},
        {"copied to another list", "abc", {0}, "xy", 2, true, "abc", "xya", {2}},
    };
    for (const auto& c : cases) {
        if (c.target == nullptr) {
            const ListEdit<PartEntry> result = placeEntries(lettered(c.source), c.rows, c.at, c.copy);
            std::string after;
            for (const PartEntry& entry : result.entries)
                after += entry.name;
            EXPECT_EQ(after, c.sourceAfter) << c.what;
            EXPECT_EQ(result.selected, c.selected) << c.what;
            continue;
        }
        const auto carry = carryEntries(lettered(c.source), c.rows, lettered(c.target), c.at, c.copy);
        EXPECT_EQ(carry.source, lettered(c.sourceAfter)) << c.what;
        EXPECT_EQ(carry.target.entries, lettered(c.targetAfter)) << c.what;
        EXPECT_EQ(carry.target.selected, c.selected) << c.what;
    }
    const Parts ticked = {part("a", 1), part("b")};
    EXPECT_EQ(carryEntries(ticked, {0}, std::vector<SkillEntry>{}, 0, false).target.entries,
              (std::vector<SkillEntry>{{"a", "", "", "", ""}}))
        << "a part leaves its tick behind in the skills";
    EXPECT_EQ(carryEntries(ticked, {0}, Parts{}, 0, true).target.entries, Parts{part("a", 1)})
        << "a part keeps its tick in another part list";
}

TEST(ListEdits, AnEntryChangingListsLosesOrComesWithoutItsTick) {
    const PartEntry ticked{1, "n", "t", "c", "r", "e"};
    EXPECT_EQ(convertEntry<SkillEntry>(ticked), (SkillEntry{"n", "t", "c", "r", "e"}));
    EXPECT_EQ(convertEntry<PartEntry>(convertEntry<SkillEntry>(ticked)),
              (PartEntry{0, "n", "t", "c", "r", "e"}));
    EXPECT_EQ(convertEntry<PartEntry>(ticked), ticked);
}

std::string repeated(std::string_view text, std::size_t times) {
    std::string repeats;
    for (std::size_t i = 0; i < times; ++i)
        repeats += text;
    return repeats;
}

Parts unticked(Parts entries) {
    for (PartEntry& entry : entries)
        entry.checkMark = 0;
    return entries;
}

// What was pasted goes out as text and comes back the same but for the tick,
// where that text is not too large to paste itself.
TEST(PastedText, EachLineIsAnEntryInCodePage932) {
    const std::string lines(pastedLineLimit, '\n'), bytes(pastedByteLimit, 'a');
    // Broken sequences among characters, the private-use U+F8F0 among them.
    const std::string brokenAndPrivateUse = utf8Bytes(u8"[頭]\n□【のみ") + "\xE3\xE3\x86\x81\x81\x9D" +
                                            utf8Bytes(u8"】オ") + "\xE3s\xAA" +
                                            utf8Bytes(u8"し：最\u5061Ｂ\uF8F0") + "\xBC\xB0\n" +
                                            std::string(78, '\xB0') + "\r\x81" + std::string(6, '\xB0');
    const struct {
        const char* what;
        std::string utf8;
        std::optional<Parts> entries; // none when refused as too large
    } cases[] = {
        {"tabs", utf8Bytes(u8"ア\tオート\tなし\t自身\t移動1"),
         Parts{{0, "ア", "オート", "なし", "自身", "移動1"}}},
        {"fewer and more fields", "a\tb\n\t\t\t\tE\tF",
         Parts{{0, "a", "b", "", "", ""}, {0, "", "", "", "", "E"}}},
        {"the sheet's part", utf8Bytes(u8"□【のうみそ】オート/なし/なし：行動+2"),
         Parts{{0, "のうみそ", "オート", "なし", "なし", "行動+2"}}},
        {"ticked, separators in range and effect", utf8Bytes(u8"■【ソ】ラピッド/1/0～1/自身：支援1/妨害：2"),
         Parts{{1, "ソ", "ラピッド", "1", "0～1/自身", "支援1/妨害：2"}}},
        {"the chat form", utf8Bytes(u8"【加速】オート/なし/自身：移動1"),
         Parts{{0, "加速", "オート", "なし", "自身", "移動1"}}},
        {"not the sheet's form", utf8Bytes(u8"【メモ】a/b：c\n□name"),
         Parts{part("【メモ】a/b：c"), part("□name")}},
        {"CR LF, LF, CR; blank lines", "a\r\n\r\nb\n\nc\rd\r\n", lettered("abcd")},
        {"a line of blanks is a name", " \n", Parts{part(" ")}},
        {"controls dropped, a line of them skipped",
         "\xEF\xBB\xBF\x01z\x7F\xC2\x85\tb\x1B\n\x02\t\xC2\x9F\n\xEF\xBB\xBF",
         Parts{{0, "z", "b", "", "", ""}, part("？")}},
        {"dropping a control joins no broken bytes into a character", "\xC2\xC2\x01\x80\x80\xE3\x02\x82\xA2",
         Parts{part("？？？？？？？")}},
        {"what code page 932 cannot hold", utf8Bytes(u8"\U0001F600x") + "\xE3\x81", Parts{part("？x？")}},
        {"what Windows writes as its own single bytes", utf8Bytes(u8"Ｂ\uF8F0\uF8F1\uF8F2\uF8F3"),
         Parts{part("Ｂ\xA0\xFD\xFE\xFF")}},
        {"broken sequences around a private-use character", brokenAndPrivateUse,
         Parts{part("[頭]"), part("□【のみ？？？？】オ？s？し：最？Ｂ\xA0？？"), part(repeated("？", 78)),
               part(repeated("？", 7))}},
        {"the most lines", lines, Parts{}},
        {"a line too many", lines + "a", std::nullopt},
        {"the most bytes", bytes, Parts{part(bytes)}},
        {"a byte too many", bytes + "a", std::nullopt},
    };
    for (const auto& c : cases) {
        const PastedEntries pasted = readPastedText(c.utf8);
        const bool refused = pasted.outcome == PastedEntries::Outcome::tooLarge;
        EXPECT_EQ(refused ? std::nullopt : std::optional(pasted.entries), c.entries) << c.what;
        EXPECT_TRUE(!refused || pasted.entries.empty()) << c.what;
        const std::string copied = entriesAsText(pasted.entries);
        if (!refused && copied.size() <= pastedByteLimit) {
            EXPECT_EQ(readPastedText(copied).entries, unticked(pasted.entries)) << c.what << ", copied";
        }
    }
}

TEST(EntryClipboard, TextGoesOutWholeInUtf8) {
    const Parts entries = {{1, "名前", "a\tb", "c\r\nd", "", "e\x80"}, part("x")};
    EXPECT_EQ(entriesAsText(entries), utf8Bytes(u8"名前\ta b\tc  d\t\te \r\nx\t\t\t\t\r\n"));
}

TEST(EntryClipboard, OwnFormatKeepsEveryByteAndRefusesDamage) {
    const Parts entries = {{-7, std::string("\\t\t\r\n\0\\", 7), "ソ", "", "\xFF\x81", "\\0"},
                           {std::numeric_limits<std::int32_t>::min(), "", "", "", "", ""}};
    for (const Parts& list : {entries, Parts{}})
        EXPECT_EQ(entriesFromOwnFormat(entriesAsOwnFormat(list)), list);

    const std::string header = entriesAsOwnFormat({});
    for (const std::string& damaged : std::vector<std::string>{
             "", "Velmora entries 2\n", header + "1\ta\tb\tc\td\n", header + "1\ta\tb\tc\td\te\tf\n",
             header + "x\ta\tb\tc\td\te\n", header + "2147483648\ta\tb\tc\td\te\n",
             header + "1\t\\x\tb\tc\td\te\n", header + "1\ta\tb\tc\td\te\\\n", header + "1\ta\tb\tc\td\te"})
        EXPECT_EQ(entriesFromOwnFormat(damaged), std::nullopt) << damaged;
}

TEST(StandardParts, ThreeUntickedPartsInEachLocation) {
    for (BodyLocation location : bodyLocations) {
        const Parts parts = standardParts(location);
        ASSERT_EQ(parts.size(), 3u);
        for (const PartEntry& entry : parts)
            EXPECT_EQ(entry.checkMark, 0);
    }
    EXPECT_EQ(standardParts(BodyLocation::torso)[1], standardParts(BodyLocation::torso)[2]);
    EXPECT_EQ(standardParts(BodyLocation::legs)[2], (PartEntry{0, "あし", "ジャッジ", "1", "0", "妨害1"}));
}

} // namespace
