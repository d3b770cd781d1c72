#include "store/SheetVersions.h"
#include "store/FileStamp.h"
#include "store/VersionDifference.h"
#include "store/XxHash64.h"

#include "sheet/CharacterSheet.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

using Kept = VersionKept;

// The versions kept of the sheet, newest first; "?" for one listed as
// unreadable, whose bytes are not given either.
std::vector<std::string> keptBytes(const SheetVersions& store, const std::string& key) {
    std::vector<std::string> kept;
    for (const SheetVersionEntry& entry : store.versionsOf(key)) {
        const std::optional<std::string> bytes = store.bytesOf(key, entry.id);
        EXPECT_EQ(entry.readable, bytes.has_value()) << entry.id;
        kept.push_back(bytes.value_or("?"));
    }
    return kept;
}

// Each case writes the sheet file with each text in turn, the store asked
// to keep what each write replaces; `damage` runs on the store's folder
// before the last write.
TEST(SheetVersions, KeepWhatEachWriteReplaces) {
    const auto noDamage = [](const std::string&) {};
    const struct {
        const char* what;
        VersionLimits limits;
        std::vector<std::string> writes;
        std::function<void(const std::string&)> damage;
        std::vector<Kept> outcomes;
        std::vector<std::string> kept;
    } cases[] = {
        {"kept", {}, {"A", "B"}, noDamage, {Kept::nothingToKeep, Kept::kept}, {"A"}},
        {"the same bytes kept once",
         {},
         {"A", "B", "A", "B"},
         noDamage,
         {Kept::nothingToKeep, Kept::kept, Kept::kept, Kept::nothingToKeep},
         {"B", "A"}},
        {"a write of unchanged bytes",
         {},
         {"A", "A"},
         noDamage,
         {Kept::nothingToKeep, Kept::nothingToKeep},
         {}},
        {"bounded by count",
         {2, 1000},
         {"A", "B", "C", "D"},
         noDamage,
         {Kept::nothingToKeep, Kept::kept, Kept::kept, Kept::kept},
         {"C", "B"}},
        {"bounded by bytes, the oldest going first",
         {50, 5},
         {"AA", "BBB", "CC", "D"},
         noDamage,
         {Kept::nothingToKeep, Kept::kept, Kept::kept, Kept::kept},
         {"CC", "BBB"}},
        {"larger than the whole store",
         {50, 3},
         {"AAAA", "B"},
         noDamage,
         {Kept::nothingToKeep, Kept::failed},
         {}},
        {"a damaged entry: a version's file gone, a line of the index garbled",
         {},
         {"A", "B", "C", "D"},
         [](const std::string& folder) {
             std::filesystem::remove(folder + "/1.txt");
             writeBytes(folder + "/index.txt", readBytes(folder + "/index.txt") + "9\tx\t\t\r\n\xff\t\t\r\n");
         },
         {Kept::nothingToKeep, Kept::kept, Kept::kept, Kept::kept},
         {"C", "B", "?"}},
        {"a damaged version's bytes kept anew",
         {},
         {"A", "B", "A"},
         [](const std::string& folder) { writeBytes(folder + "/1.txt", "ZZ"); },
         {Kept::nothingToKeep, Kept::kept, Kept::kept},
         {"B", "?"}},
        {"the index's last line cut short: not listed, and the index written anew without it",
         {},
         {"A", "B", "C"},
         [](const std::string& folder) {
             writeBytes(folder + "/index.txt",
                        readBytes(folder + "/index.txt") + "9\t1\t1\t0000000000000000\t/lily.txt");
         },
         {Kept::nothingToKeep, Kept::kept, Kept::kept},
         {"B", "A"}},
        {"an id listed twice, the version trimmed: the second line not brought back",
         {3, 1000},
         {"A", "B", "C", "D", "E"},
         [](const std::string& folder) {
             writeBytes(folder + "/index.txt",
                        readBytes(folder + "/index.txt") + "1\t1\t1\t0000000000000000\t/mika.txt\r\n");
         },
         {Kept::nothingToKeep, Kept::kept, Kept::kept, Kept::kept, Kept::kept},
         {"D", "C", "B"}},
        {"the index unreadable: nothing written over it",
         {},
         {"A", "B"},
         [](const std::string& folder) { std::filesystem::create_directories(folder + "/index.txt"); },
         {Kept::nothingToKeep, Kept::failed},
         {}},
        {"an unwritable store",
         {},
         {"A", "B"},
         [](const std::string& folder) { writeBytes(folder, "a file where the folder goes"); },
         {Kept::nothingToKeep, Kept::failed},
         {}},
    };
    for (const auto& c : cases) {
        ScratchFolder scratch;
        const std::string sheet = scratch.file("lily.txt");
        const SheetVersions store(scratch.file("Versions"), c.limits);
        std::vector<Kept> outcomes;
        for (std::size_t i = 0; i < c.writes.size(); ++i) {
            if (i + 1 == c.writes.size())
                c.damage(scratch.file("Versions"));
            outcomes.push_back(store.keepBeforeWrite("/lily.txt", sheet, c.writes[i]));
            writeBytes(sheet, c.writes[i]);
        }
        EXPECT_EQ(outcomes, c.outcomes) << c.what;
        EXPECT_EQ(keptBytes(store, "/lily.txt"), c.kept) << c.what;
        EXPECT_TRUE(store.versionsOf("/mika.txt").empty()) << c.what << ": another sheet";
    }
}

TEST(SheetVersions, EachSheetKeepsItsOwnAndDeletesThem) {
    ScratchFolder scratch;
    const SheetVersions store(scratch.file("Versions"), {1, 1000});
    ASSERT_EQ(store.keep("/mika.txt", "Mika", 1), Kept::kept);
    ASSERT_EQ(store.keep("/lily.txt", "Lily", 2), Kept::kept);
    ASSERT_EQ(store.keep("/lily.txt", "Lily!", 3), Kept::kept);
    EXPECT_EQ(store.versionsOf("/lily.txt"), (std::vector<SheetVersionEntry>{{"3", 3, 5, true}}));
    EXPECT_FALSE(store.bytesOf("/lily.txt", "1")) << "another sheet's version";
    EXPECT_TRUE(store.remove("/lily.txt", "1")) << "another sheet's version is none of this one's";
    EXPECT_TRUE(store.remove("/lily.txt", "3"));
    EXPECT_TRUE(store.versionsOf("/lily.txt").empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.file("Versions/3.txt")));
    EXPECT_EQ(keptBytes(store, "/mika.txt"), std::vector<std::string>{"Mika"});
}

std::vector<std::uint64_t> listedIds(const std::string& indexText) {
    std::vector<std::uint64_t> ids;
    for (const IndexedVersion& version : readVersionIndex(indexText))
        ids.push_back(version.id);
    return ids;
}

// A keep adds its version's line, and one that trims crosses out the lines
// of the versions gone, every other byte of the index left as it was; once
// more of its lines list nothing than versions, the index is written anew.
// Bytes kept already leave no second file.
TEST(SheetVersions, AKeepChangesTheIndexInPlaceUntilMostOfItListsNothing) {
    ScratchFolder scratch;
    const std::string index = scratch.file("Versions/index.txt");
    const SheetVersions store(scratch.file("Versions"), {2, 1000});
    ASSERT_EQ(store.keep("/lily.txt", "A", 1), Kept::kept);
    const std::string first = readBytes(index);
    ASSERT_EQ(store.keep("/lily.txt", "B", 2), Kept::kept);
    const std::string second = readBytes(index);
    EXPECT_TRUE(second.starts_with(first));
    ASSERT_EQ(store.keep("/lily.txt", "C", 3), Kept::kept);
    const std::string third = readBytes(index);
    const std::size_t lineOfFirst = first.find('\n') + 1;
    ASSERT_GT(third.size(), second.size());
    EXPECT_EQ(std::ranges::mismatch(second, third).in1 - second.begin(), lineOfFirst)
        << "version 1 crossed out";
    EXPECT_EQ(third.substr(lineOfFirst + 1, second.size() - lineOfFirst - 1), second.substr(lineOfFirst + 1));
    EXPECT_EQ(listedIds(third), (std::vector<std::uint64_t>{2, 3}));
    EXPECT_FALSE(fileExists(scratch.file("Versions/1.txt")));
    ASSERT_EQ(store.keep("/lily.txt", "D", 4), Kept::kept);
    const std::string fourth = readBytes(index);
    EXPECT_EQ(std::ranges::count(fourth, '\n'), 3) << "the header and a line a version";
    EXPECT_EQ(listedIds(fourth), (std::vector<std::uint64_t>{3, 4}));
    EXPECT_FALSE(fileExists(scratch.file("Versions/2.txt")));
    ASSERT_EQ(store.keep("/lily.txt", "C", 5), Kept::nothingToKeep);
    EXPECT_FALSE(fileExists(scratch.file("Versions/5.txt")));
    EXPECT_EQ(keptBytes(store, "/lily.txt"), (std::vector<std::string>{"D", "C"}));
}

// A sheet longer than the parts it is read in: unchanged, it keeps nothing;
// changed in its last byte alone, it is kept byte for byte.
TEST(SheetVersions, KeepsALongSheetByteForByte) {
    ScratchFolder scratch;
    const std::string sheet = scratch.file("lily.txt");
    const SheetVersions store(scratch.file("Versions"));
    std::string bytes;
    for (int i = 0; bytes.size() < 300000; ++i)
        bytes += "part " + std::to_string(i) + "\r\n";
    writeBytes(sheet, bytes);
    EXPECT_EQ(store.keepBeforeWrite("/lily.txt", sheet, bytes), Kept::nothingToKeep);
    std::string changed = bytes;
    changed.back() = 'x';
    EXPECT_EQ(store.keepBeforeWrite("/lily.txt", sheet, changed), Kept::kept);
    EXPECT_EQ(keptBytes(store, "/lily.txt"), std::vector<std::string>{bytes});
}

// A store kept before versions were hashed with xxHash64 lists FNV-1a: its
// versions read as they were kept, a keep adds to it, and damage still shows.
TEST(SheetVersions, ReadsAStoreListingTheOlderHash) {
    ScratchFolder scratch;
    const std::string folder = scratch.file("Versions");
    std::filesystem::create_directory(folder);
    writeBytes(folder + "/1.txt", "Lily");
    writeBytes(folder + "/index.txt", versionIndexText({{1, 1, 4, hashOfBytes("Lily"), "/lily.txt"}}));
    const SheetVersions store(folder);
    EXPECT_EQ(store.bytesOf("/lily.txt", "1"), "Lily");
    ASSERT_EQ(store.keep("/lily.txt", "Mika", 2), Kept::kept);
    EXPECT_EQ(keptBytes(store, "/lily.txt"), (std::vector<std::string>{"Mika", "Lily"}));
    writeBytes(folder + "/1.txt", "Lilx");
    EXPECT_FALSE(store.bytesOf("/lily.txt", "1"));
}

TEST(SheetVersions, IndexReadsBackAsWritten) {
    const std::vector<IndexedVersion> versions = {{1, -5, 0, 0, "C:\\LILY.TXT"},
                                                  {7, 133000000000000000, 1234, ~0ULL, "\\\\SERVER\\A B"}};
    EXPECT_EQ(readVersionIndex(versionIndexText(versions)), versions);
}

// The reference values are those of the xxHash library; a hash taken in
// parts, cut anywhere, is the hash of the whole.
TEST(XxHash64, HashesAsTheReferenceWholeOrInParts) {
    std::string bytes;
    for (int i = 0; i < 3 * 256; ++i)
        bytes += static_cast<char>(i);
    EXPECT_EQ(xxHash64(""), 0xEF46DB3751D8E999ULL);
    EXPECT_EQ(xxHash64("a"), 0xD24EC4F1A98C6E5BULL);
    EXPECT_EQ(xxHash64("abc"), 0x44BC2CF5AD770999ULL);
    EXPECT_EQ(xxHash64(bytes), 0x8E03C838C596036FULL);
    const std::string_view whole = bytes;
    for (std::size_t first = 0; first < 70; ++first)
        for (std::size_t second = first; second < 140; second += 3) {
            XxHash64 hash;
            hash.add(whole.substr(0, first));
            hash.add(whole.substr(first, second - first));
            hash.add(whole.substr(second));
            EXPECT_EQ(hash.value(), xxHash64(bytes)) << first << " " << second;
        }
}

// The version differs from a new sheet by each change.
TEST(VersionDifference, NamesWhatTheVersionHas) {
    const PartEntry part{0, "のうみそ", "オート", "なし", "なし", "最大行動値+2"};
    const struct {
        const char* what;
        std::function<void(SheetContents&)> change;
        std::string expected;
    } cases[] = {
        {"the same", [](SheetContents&) {}, ""},
        {"a text, with the version's value", [](SheetContents& s) { s.dollName = "一番目"; },
         "ドール名 一番目"},
        {"a text the version leaves empty", [](SheetContents& s) { s.suggestion = ""; }, "暗示 空欄"},
        {"a long text, cut", [](SheetContents& s) { s.dollName = "あいうえおかきくけこさしすせそ"; },
         "ドール名 あいうえおかきくけこさし…"},
        {"list counts, in the order a player looks",
         [&](SheetContents& s) {
             s.dollName = "一番目";
             s.skills.clear();
             s.headParts.push_back(part);
             s.headParts.push_back(part);
             s.legParts.push_back(part);
         },
         "ドール名 一番目 ･ パーツ 3 件多い ･ スキル 1 件少ない"},
        {"rows changed in place", [](SheetContents& s) { s.memories[2].title = "夕焼け"; },
         "記憶のカケラ 1 件違う"},
        {"a part moved to another location",
         [](SheetContents& s) {
             s.armParts.push_back(s.headParts.back());
             s.headParts.pop_back();
         },
         "パーツ 2 件違う"},
        {"numbers as the form shows them",
         [](SheetContents& s) {
             s.initialPlacement = 0;
             s.maxActionBonus = 2;
             s.favorPoints = 3;
         },
         "寵愛点 3 ･ 最大行動値 8 ･ 初期配置 煉獄"},
        {"the portrait by its file's name", [](SheetContents& s) { s.portraitPath = "C:\\絵\\lily.png"; },
         "肖像 lily.png"},
        {"more than three, then ほか",
         [](SheetContents& s) {
             s.dollName = "一番目";
             s.playerName = "二番目";
             s.position = "アリス";
             s.mainClass = "ステーシー";
         },
         "ドール名 一番目 ･ プレイヤー名 二番目 ･ ポジション アリス ･ ほか"},
    };
    SheetContents shownContents;
    shownContents.suggestion = "暗示の文";
    shownContents.skills = {{"加速", "オート", "なし", "自身", "移動1"}};
    shownContents.headParts = {part};
    for (const auto& c : cases) {
        SheetContents versionContents = shownContents;
        c.change(versionContents);
        const CharacterSheet version(std::move(versionContents));
        const CharacterSheet shown{SheetContents(shownContents)};
        EXPECT_EQ(versionDifference(version, shown), c.expected) << c.what;
    }
}

} // namespace
