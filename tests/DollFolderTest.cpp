#include "dolls/DollFolder.h"
#include "dolls/DollThumbnail.h"

#include "JpegEncoding.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace {

FolderEntry file(std::string name, bool hidden = false) {
    return {std::move(name), false, false, hidden, {FileLook::Kind::file, 10, 1}};
}
FolderEntry folder(std::string name, bool reparsePoint = false, bool hidden = false) {
    return {std::move(name), true, reparsePoint, hidden, {FileLook::Kind::other}};
}

// The first eleven lines of a sheet; the reader takes the missing ones as empty.
std::string sheetText(std::string_view format, std::string_view portrait, std::string_view doll) {
    return std::string(format) + "\r\n" + std::string(portrait) + "\r\n" + std::string(doll) +
           "\r\nKen\r\n3\r\n12\r\n\r\n,,\r\nアリス\r\nステーシー\r\nタナトス\r\n";
}

TEST(DollFolder, WalkReadsSheetsAndTheirPortraits) {
    std::map<std::string, std::vector<FolderEntry>> tree = {
        {"",
         {file("a.txt"), file("B.TXT"), file("photo.jpg"), file(".hidden.txt", true), folder("link", true),
          folder("secret", false, true), folder("sub"), folder("locked"), folder("folder.txt")}},
        {"sub", {file("c.txt"), folder("l2")}},
        {"sub\\l2", {file("d.txt"), folder("l3")}},
        {"sub\\l2\\l3", {file("e.txt"), folder("l4")}},
        {"folder.txt", {}},
    };
    std::set<std::string> listed;
    const FolderLister fake = [&](const std::string& path, std::vector<FolderEntry>& entries) {
        listed.insert(path);
        for (const auto& [relative, held] : tree) {
            if (dollFilePath("R", relative) == path) {
                entries = held;
                return true;
            }
        }
        return false;
    };
    const std::atomic<bool> going{false};
    const FolderWalk walk = walkDollFolder("R", fake, going);
    std::vector<std::string> paths;
    for (const FoundSheetFile& sheet : walk.files)
        paths.push_back(sheet.relativePath);
    std::ranges::sort(paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"B.TXT", "a.txt", "sub\\c.txt", "sub\\l2\\d.txt",
                                               "sub\\l2\\l3\\e.txt"}));
    EXPECT_EQ(walk.unreadableFolders, std::vector<std::string>{"locked"});
    for (const char* never : {"link", "secret", "sub\\l2\\l3\\l4"})
        EXPECT_FALSE(listed.contains(dollFilePath("R", never))) << never;
    const std::atomic<bool> stopped{true};
    EXPECT_TRUE(walkDollFolder("R", fake, stopped).files.empty());

    // Only what changed since is read again: here a no-sheet B.TXT, and d.txt and e.txt, which are new.
    const FileLook before = file("").look, changed = {FileLook::Kind::file, 9, 1};
    const FolderChanges changes = changesSince({{"a.txt", before, {}}, {"gone.txt", before, {}}},
                                               {{"B.TXT", changed}, {"sub\\c.txt", before}}, walk);
    EXPECT_EQ(changes.toRead.size(), 3u);
    EXPECT_EQ(changes.gone, std::vector<std::string>{"gone.txt"});

    ScratchFolder scratch;
    PictureToEncode picture;
    picture.width = 96;
    picture.height = 128;
    picture.samples.resize(96 * 128 * 3);
    for (std::size_t i = 0; i < picture.samples.size(); ++i)
        picture.samples[i] = i % 3 == 0 ? 200 : i % 3 == 1 ? 100 : 50;
    writeBytes(scratch.file("doll.jpg"), encodeJpeg(picture));
    picture = {4, 4, 3, JCS_RGB, JCS_YCbCr, std::vector<JSAMPLE>(48, 128)};
    writeBytes(scratch.file("tiny.jpg"), encodeJpeg(picture));
    const struct {
        std::string name, bytes;
        DollRead read;
        std::string doll;
        bool thumbnail;
    } sheets[] = {
        {"lily.txt", sheetText("1002", scratch.file("doll.jpg"), "リリィ"), DollRead::sheet, "リリィ", true},
        {"moved.txt", sheetText("1002", "C:\\elsewhere\\doll.jpg", "アリス"), DollRead::sheet, "アリス",
         true},
        {"small.txt", sheetText("1002", "tiny.jpg", "ミオ"), DollRead::sheet, "ミオ", true},
        {"old.txt", sheetText("1000", "リリィ", "Ken"), DollRead::sheet, "リリィ", false},
        {"share.txt", sheetText("1002", "\\\\server\\share\\far.jpg", "x"), DollRead::sheet, "x", false},
        {"pipe.txt", sheetText("1002", "\\\\.\\pipe\\velmora-portrait", "x"), DollRead::sheet, "x", false},
        {"note.txt", "hello\r\n", DollRead::notSheet, "", false},
        {"large.txt", "1002\r\n" + std::string(dollSheetByteLimit, 'x'), DollRead::notSheet, "", false},
        {"vanished.txt", "", DollRead::vanished, "", false},
    };
    for (const auto& sheet : sheets) {
        const std::string path = scratch.file(sheet.name);
        if (sheet.read != DollRead::vanished)
            writeBytes(path, sheet.bytes);
        DollSummary summary;
        EXPECT_EQ(readDollSheet(path, summary), sheet.read) << sheet.name;
        EXPECT_EQ(summary.dollName, sheet.doll) << sheet.name;
        const std::optional<Thumbnail> thumbnail = makeThumbnail(path, summary.portraitPath, {48, 64});
        ASSERT_EQ(thumbnail.has_value(), sheet.thumbnail) << sheet.name;
        if (!thumbnail)
            continue;
        EXPECT_EQ(thumbnail->size.width, 48);
        EXPECT_EQ(thumbnail->pixels.size(), 48u * 3 * 64);
        EXPECT_NEAR(thumbnail->pixels[0], sheet.name == "small.txt" ? 128 : 50, 3) << sheet.name; // blue
    }

    // The system's own listing, with a name that code page 932 cannot hold.
    const std::string below = scratch.file("below"), smile = utf8Bytes(u8"below\\\U0001F600.txt");
    std::filesystem::create_directory(below);
    std::ofstream(std::filesystem::path(below) / std::filesystem::path(u8"\U0001F600.txt"), std::ios::binary)
        << sheetText("1002", "", "Ken");
    const FolderWalk real = walkDollFolder(scratch.file(""), listFolder, going);
    const auto found = std::ranges::find(real.files, smile, &FoundSheetFile::relativePath);
    ASSERT_NE(found, real.files.end());
    EXPECT_EQ(found->look.size, sheetText("1002", "", "Ken").size());
    EXPECT_NE(dollRowDate({smile, found->look, {}}), localTimeText({})) << "no local time";
    DollSummary summary;
    EXPECT_EQ(readDollSheet(dollFilePath(scratch.file(""), smile), summary), DollRead::sheet);
    EXPECT_EQ(real.files.size(), std::size(sheets)); // the vanished one is missing and the smile is in
}

TEST(DollFolder, RowTextsFallBackToTheFileName) {
    const struct {
        std::string relativePath, dollName, name, file;
    } rows[] = {
        {utf8Bytes(u8"リリィ.txt"), "", "リリィ", "リリィ.txt"},
        {utf8Bytes(u8"キャンペーンB\\old.TXT"), "アリス", "アリス", "キャンペーンB\\old.TXT"},
        {utf8Bytes(u8"a\\\U0001F600.txt"), "", "？", "a\\？.txt"},
    };
    for (const auto& row : rows) {
        DollRow doll{row.relativePath, {}, {}};
        doll.summary.dollName = row.dollName;
        EXPECT_EQ(dollRowName(doll), row.name);
        EXPECT_EQ(dollRowFile(doll), row.file);
    }
    EXPECT_EQ(localTimeText({2026, 12, 9, 14, 3}), "2026/12/09 14:03");
    EXPECT_EQ(localTimeText({1999, 1, 2, 3, 4}), "1999/01/02 03:04");
}

TEST(DollFolder, OrderAndSearchFoldAsTheCatalogue) {
    const auto row = [](std::u8string_view path, std::string name, std::string position, std::string main,
                        std::string sub, std::string player, std::int64_t time) {
        return DollRow{
            utf8Bytes(path), {FileLook::Kind::file, 1, time}, {name, position, main, sub, player, ""}};
    };
    const std::vector<DollRow> rows = {
        row(u8"a\\lily.txt", "リリィ", "アリス", "ステーシー", "タナトス", "Ken", 300),
        row(u8"b\\ﾘﾘｨ2.txt", "", "ホリック", "レクイエム", "", "ken", 100),
        row(u8"alice.txt", "ありす", "ジャンク", "バロック", "ロマネスク", "Mio", 200),
        row(u8"c.txt", "りりぃ", "アリス", "サイケデリック", "ゴシック", "MIO", 300),
    };
    std::vector<FoldedDoll> folded;
    for (const DollRow& doll : rows)
        folded.push_back(foldDoll(doll));
    using C = DollColumn;
    const struct {
        const char* search;
        DollOrder order;
        std::vector<std::size_t> shown;
    } cases[] = {
        {"", {}, {0, 3, 2, 1}},
        {"リリィ", {}, {0, 3, 1}},
        {"KEN", {}, {0, 1}},
        {"ありす　mio", {}, {3, 2}},
        {"タナトス", {}, {0}},
        {"LILY", {}, {0}},
        {"zzz", {}, {}},
        {"", {C::name, false}, {2, 0, 3, 1}},
        {"", {C::name, true}, {1, 0, 3, 2}},
        {"", {C::position, false}, {0, 3, 2, 1}},
        {"", {C::position, true}, {1, 2, 0, 3}},
        {"", {C::mainClass, false}, {3, 0, 2, 1}},
        {"", {C::mainClass, true}, {1, 2, 0, 3}},
        {"", {C::subClass, false}, {1, 3, 0, 2}},
        {"", {C::subClass, true}, {2, 0, 3, 1}},
        {"", {C::player, false}, {0, 1, 2, 3}},
        {"", {C::player, true}, {2, 3, 0, 1}},
        {"", {C::file, false}, {0, 2, 1, 3}},
        {"", {C::file, true}, {3, 1, 2, 0}},
        {"", {C::updated, false}, {1, 2, 0, 3}},
    };
    for (const auto& test : cases)
        EXPECT_EQ(shownDolls(rows, folded, searchWords(test.search), test.order), test.shown) << test.search;

    std::vector<FoundSheetFile> files;
    for (const DollRow& doll : rows)
        files.push_back({doll.relativePath, doll.look});
    orderForReading(files, {});
    EXPECT_EQ(files[1].relativePath, "c.txt");
    orderForReading(files, {C::file, true});
    EXPECT_EQ(files[0].relativePath, "c.txt");
}

TEST(DollFolder, CopiesAreNamedAsExplorerNamesThem) {
    const std::string lily = utf8Bytes(u8"リリィ - コピー.txt"),
                      lily2 = utf8Bytes(u8"リリィ - コピー (2).txt");
    const struct {
        std::string name;
        std::set<std::string> taken;
        std::string copy;
    } cases[] = {
        {utf8Bytes(u8"リリィ.txt"), {}, lily},
        {utf8Bytes(u8"リリィ.txt"), {lily}, lily2},
        {utf8Bytes(u8"リリィ.txt"), {lily, lily2}, utf8Bytes(u8"リリィ - コピー (3).txt")},
        {"a.b.txt", {}, utf8Bytes(u8"a.b - コピー.txt")},
        {"README", {}, utf8Bytes(u8"README - コピー")},
        {".txt", {}, utf8Bytes(u8".txt - コピー")},
    };
    for (const auto& test : cases)
        EXPECT_EQ(copyFileName(test.name, [&](const std::string& name) { return test.taken.contains(name); }),
                  test.copy);
    EXPECT_EQ(copyFileName("a.txt", [](const std::string&) { return true; }), "");
}

// A command acts only on a file below the folder: never on the folder
// itself, which a row with no path would name, nor outside it.
TEST(DollFolder, CommandsActOnlyOnFilesBelowTheFolder) {
    const struct {
        std::string_view relativePath;
        bool below;
    } cases[] = {
        {"a.txt", true},       {"キャンペーンB\\a.txt", true},
        {"", false},           {"\\", false},
        {"\\a.txt", false},    {"a\\", false},
        {"a\\\\b.txt", false}, {".", false},
        {"..\\a.txt", false},  {"b\\..\\..\\a.txt", false},
        {"C:\\a.txt", false},  {"a.txt:stream", false},
        {"b/../a.txt", false}, {std::string_view("a\0.txt", 6), false},
    };
    for (const auto& test : cases)
        EXPECT_EQ(namesFileBelowFolder(test.relativePath), test.below) << test.relativePath;
}

} // namespace
