#include "refdata/ReferenceData.h"

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
