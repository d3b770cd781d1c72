#include "editor/CellList.h"
#include "editor/ControlText.h"
#include "editor/SheetForm.h"
#include "refdata/ReferenceData.h"
#include "res/resource.h"

#include "SheetPrinters.h"
#include "TestFiles.h"
#include "WindowTesting.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

// A sheet form of its own for every test, on a fresh record.
class SheetFormTest : public testing::Test {
protected:
    void SetUp() override {
        positionTable.clear();
        classTable.clear();
        for (const char* name : {"ガーディアン", "ミラージュ", "ミラ"})
            positionTable.emplace_back().name = name;
        for (const char* name : {"ノクターン", "ルミナス"})
            classTable.emplace_back().name = name;
        host = createHostWindow(1100, 900);
        form = createSheetForm(GetModuleHandleA(nullptr), host, sheet);
        ShowWindow(form, SW_SHOW);
        pumpMessages();
    }

    void TearDown() override {
        DestroyWindow(host);
        cellCheckBoxes.clear();
        positionTable.clear();
        classTable.clear();
    }

    HWND control(int id) const { return GetDlgItem(form, id); }
    std::string text(int id) const { return readControlText(control(id)); }
    void setText(int id, const std::string& value) const {
        SendMessageA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    }
    void click(int id) const { SendMessageA(control(id), BM_CLICK, 0, 0); }
    bool ticked(int id) const { return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    // The record's file, to compare records whole.
    std::string savedSheet() {
        EXPECT_TRUE(sheet.saveSheet(folder.file("check.txt")));
        return readBytes(folder.file("check.txt"));
    }

    ScratchFolder folder;
    CharacterSheet sheet;
    HWND host = nullptr;
    HWND form = nullptr;
};

TEST_F(SheetFormTest, TextBoxesWriteThroughToTheRecord) {
    const struct {
        int id;
        std::string (CharacterSheet::*get)() const;
    } boxes[] = {{IDC_DOLL_NAME, &CharacterSheet::getDollName},
                 {IDC_PLAYER_NAME, &CharacterSheet::getPlayerName},
                 {IDC_AGE_AT_DEATH, &CharacterSheet::getAgeAtDeath},
                 {IDC_SUGGESTION, &CharacterSheet::getSuggestion}};
    for (const auto& box : boxes) {
        setText(box.id, "リリィ, a:b");
        EXPECT_EQ((sheet.*box.get)(), "リリィ, a:b") << box.id;
        setText(box.id, "");
        EXPECT_EQ((sheet.*box.get)(), "") << box.id;
    }
}

TEST_F(SheetFormTest, TypingStoresEveryKeystroke) {
    typeKeys(control(IDC_DOLL_NAME), "Li");
    EXPECT_EQ(sheet.getDollName(), "Li");
    typeKeys(control(IDC_DOLL_NAME), "ly");
    EXPECT_EQ(sheet.getDollName(), "Lily");
    typeKeys(control(IDC_FAVOR_POINTS), "42");
    EXPECT_EQ(sheet.getFavorPoints(), 42);
}

TEST_F(SheetFormTest, NumberBoxesStoreTheNumberTheirTextBeginsWith) {
    const struct {
        int id;
        std::int32_t (CharacterSheet::*get)() const;
    } boxes[] = {{IDC_ARMAMENT, &CharacterSheet::getArmament},
                 {IDC_MUTATION, &CharacterSheet::getMutation},
                 {IDC_MODIFICATION, &CharacterSheet::getModification},
                 {IDC_FAVOR_POINTS, &CharacterSheet::getFavorPoints}};
    for (const auto& box : boxes) {
        setText(box.id, "12");
        EXPECT_EQ((sheet.*box.get)(), 12);
        setText(box.id, "3abc");
        EXPECT_EQ((sheet.*box.get)(), 3);
        setText(box.id, "");
        EXPECT_EQ((sheet.*box.get)(), 0);
        EXPECT_EQ(text(box.id), "") << "a cleared box stays empty";
    }
}

TEST_F(SheetFormTest, KarmaLinesAndMemoryRowsWriteTheirRow) {
    setText(IDC_KARMA_FIRST + 2, "三行目");
    EXPECT_EQ(sheet.getKarma(), (std::vector<std::string>{"", "", "三行目"}));
    setText(IDC_MEMORY_TITLE_FIRST + 4, "花");
    setText(IDC_MEMORY_NUMBER_FIRST + 4, "5");
    setText(IDC_MEMORY_CONTENT_FIRST + 4, "約束");
    std::vector<MemoryFragment> expected(6);
    expected[4] = {"花", 5, "約束"};
    EXPECT_EQ(sheet.getMemories(), expected);
}

TEST_F(SheetFormTest, MadnessBoxesCountTowardsTheirRow) {
    setText(IDC_REGRET_TARGET_FIRST + 2, "たからもの");
    click(IDC_MADNESS_3_FIRST + 2);
    EXPECT_EQ(sheet.getRegrets()[2], (Regret{"たからもの", "", 1, ""}));
    click(IDC_MADNESS_1_FIRST + 2);
    click(IDC_MADNESS_4_FIRST + 2);
    setText(IDC_REGRET_MADNESS_FIRST + 2, "幼児退行");
    setText(IDC_REGRET_CONTENT_FIRST + 2, "依存");
    EXPECT_EQ(sheet.getRegrets()[2], (Regret{"たからもの", "依存", 3, "幼児退行"}));
    click(IDC_MADNESS_3_FIRST + 2);
    EXPECT_EQ(sheet.getRegrets()[2].madnessPoints, 2);
    EXPECT_EQ(sheet.getRegrets()[1], Regret{});
}

TEST_F(SheetFormTest, PlacementBoxesActAsOneGroup) {
    click(IDC_PLACEMENT_FIRST);
    click(IDC_PLACEMENT_FIRST + 1);
    EXPECT_FALSE(ticked(IDC_PLACEMENT_FIRST));
    EXPECT_TRUE(ticked(IDC_PLACEMENT_FIRST + 1));
    EXPECT_EQ(sheet.getInitialPlacement(), 1);
    click(IDC_PLACEMENT_FIRST + 1);
    EXPECT_TRUE(ticked(IDC_PLACEMENT_FIRST + 1));
    EXPECT_EQ(sheet.getInitialPlacement(), 1);
}

TEST_F(SheetFormTest, MaximumActionValueFollowsItsBonus) {
    setText(IDC_MAX_ACTION_BONUS, "3");
    EXPECT_EQ(text(IDC_MAX_ACTION), "9");
    EXPECT_EQ(sheet.getMaxActionBonus(), 3);
    setText(IDC_MAX_ACTION_BONUS, "");
    EXPECT_EQ(text(IDC_MAX_ACTION), "6");
    EXPECT_EQ(sheet.getMaxActionBonus(), 0);
    setText(IDC_MAX_ACTION_BONUS, "2147483647");
    EXPECT_EQ(text(IDC_MAX_ACTION), "2147483647") << "the sum saturates instead of overflowing";
}

TEST_F(SheetFormTest, ChoicesOfferTheTablesAndStoreAPick) {
    HWND position = control(IDC_POSITION);
    ASSERT_EQ(SendMessageA(position, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(control(IDC_MAIN_CLASS), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(control(IDC_SUB_CLASS), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(position, CB_GETCURSEL, 0, 0), CB_ERR);
    // The arrow keys pick the next item, as in the open drop-down list.
    SendMessageA(position, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(position, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(sheet.getPosition(), "ミラージュ");
    SendMessageA(control(IDC_SUB_CLASS), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(sheet.getSubClass(), "ノクターン");
    EXPECT_EQ(sheet.getMainClass(), "");
    // Typing into the box's own field stores nothing.
    SetWindowTextA(position, "自作");
    EXPECT_EQ(sheet.getPosition(), "ミラージュ");
}

TEST_F(SheetFormTest, RefreshShowsTheWholeRecordAndLeavesItAsItWas) {
    ASSERT_TRUE(sheet.loadSheet(fixturePath("example-sheet.txt")));
    sheet.setPosition("ミラ");
    sheet.setMainClass("ルミナス");
    sheet.setSubClass("ルミナス");
    const std::string before = savedSheet();
    refreshSheetForm();
    EXPECT_EQ(savedSheet(), before);

    EXPECT_EQ(text(IDC_DOLL_NAME), "リリィ");
    EXPECT_EQ(text(IDC_PLAYER_NAME), "Ken");
    EXPECT_EQ(text(IDC_FAVOR_POINTS), "3");
    EXPECT_EQ(text(IDC_AGE_AT_DEATH), "12");
    EXPECT_EQ(text(IDC_SUGGESTION), "");
    EXPECT_EQ(text(IDC_ARMAMENT), "1");
    EXPECT_EQ(text(IDC_MUTATION), "0");
    EXPECT_EQ(text(IDC_MODIFICATION), "2");
    EXPECT_EQ(text(IDC_KARMA_FIRST), "記憶のカケラを獲得する");
    EXPECT_EQ(text(IDC_MEMORY_TITLE_FIRST), "花");
    EXPECT_EQ(text(IDC_MEMORY_NUMBER_FIRST), "5");
    EXPECT_EQ(text(IDC_MEMORY_CONTENT_FIRST), "約束");
    EXPECT_EQ(text(IDC_MEMORY_NUMBER_FIRST + 5), "0");
    EXPECT_EQ(text(IDC_REGRET_TARGET_FIRST), "たからもの");
    EXPECT_EQ(text(IDC_REGRET_CONTENT_FIRST), "依存");
    EXPECT_EQ(text(IDC_REGRET_MADNESS_FIRST), "幼児退行(最大行動値-2)");
    EXPECT_TRUE(ticked(IDC_MADNESS_1_FIRST));
    EXPECT_TRUE(ticked(IDC_MADNESS_2_FIRST));
    EXPECT_FALSE(ticked(IDC_MADNESS_3_FIRST));
    EXPECT_EQ(text(IDC_MAX_ACTION_BONUS), "1");
    EXPECT_EQ(text(IDC_MAX_ACTION), "7");
    EXPECT_FALSE(ticked(IDC_PLACEMENT_FIRST));
    EXPECT_TRUE(ticked(IDC_PLACEMENT_FIRST + 1));
    // "ミラ" selects the first item it begins: the longer "ミラージュ".
    EXPECT_EQ(text(IDC_POSITION), "ミラージュ");
    EXPECT_EQ(sheet.getPosition(), "ミラ");
    EXPECT_EQ(text(IDC_MAIN_CLASS), "ルミナス");
    EXPECT_EQ(text(IDC_SUB_CLASS), "ルミナス");
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(form, IDC_SKILL_LIST)), 1);
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(form, IDC_HEAD_LIST)), 1);
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(form, IDC_ARM_LIST)), 0);
}

TEST_F(SheetFormTest, RefreshTicksTheFirstMadnessBoxesWhicheverTheUserTicked) {
    for (int first : {IDC_MADNESS_1_FIRST, IDC_MADNESS_2_FIRST, IDC_MADNESS_3_FIRST, IDC_MADNESS_4_FIRST})
        click(first);
    auto regrets = sheet.getRegrets();
    regrets[0].madnessPoints = 1;
    sheet.setRegrets(regrets);
    refreshSheetForm();
    EXPECT_TRUE(ticked(IDC_MADNESS_1_FIRST));
    EXPECT_FALSE(ticked(IDC_MADNESS_2_FIRST));
    EXPECT_FALSE(ticked(IDC_MADNESS_3_FIRST));
    EXPECT_FALSE(ticked(IDC_MADNESS_4_FIRST));
    EXPECT_EQ(sheet.getRegrets()[0].madnessPoints, 1);
}

TEST_F(SheetFormTest, RefreshKeepsAChoiceThatIsNotInTheList) {
    sheet.setPosition("ガーディアン");
    refreshSheetForm();
    sheet.setPosition("知らない名前");
    refreshSheetForm();
    EXPECT_EQ(text(IDC_POSITION), "ガーディアン");
    EXPECT_EQ(sheet.getPosition(), "知らない名前");
}

TEST_F(SheetFormTest, RefreshPutsZeroIntoAnEmptyNumberBoxAndNoneSelectedWithoutPlacement) {
    EXPECT_EQ(text(IDC_ARMAMENT), "");
    refreshSheetForm();
    EXPECT_EQ(text(IDC_ARMAMENT), "0");
    EXPECT_EQ(text(IDC_MAX_ACTION), "6");
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(ticked(IDC_PLACEMENT_FIRST + i));
}

TEST_F(SheetFormTest, WriteControlNumberLeavesABoxThatShowsTheValue) {
    const struct {
        const char* shown;
        std::int32_t value;
        bool writes;
        const char* after;
    } cases[] = {{"", 0, true, "0"},    {"―", 0, true, "0"},   {"0", 0, false, "0"}, {"00", 0, false, "00"},
                 {" 0", 0, false, " 0"}, {"7", 8, true, "8"},   {"-1", -1, false, "-1"}, {"x", 5, true, "5"}};
    for (const auto& c : cases) {
        SetWindowTextA(control(IDC_MAX_ACTION), c.shown);
        EXPECT_EQ(writeControlNumber(form, IDC_MAX_ACTION, c.value), c.writes) << c.shown;
        EXPECT_EQ(text(IDC_MAX_ACTION), c.after) << c.shown;
    }
}

TEST_F(SheetFormTest, ListsHaveTheFiveColumns) {
    for (int id = IDC_SKILL_LIST; id <= IDC_LEG_LIST; ++id) {
        HWND header = ListView_GetHeader(GetDlgItem(form, id));
        ASSERT_EQ(Header_GetItemCount(header), 5) << id;
        const struct {
            const char* title;
            int width;
        } columns[] = {{"名称", 100}, {"タイミング", 60}, {"コスト", 40}, {"射程", 40}, {"効果", 124}};
        for (int i = 0; i < 5; ++i) {
            char title[64] = {};
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = title;
            column.cchTextMax = sizeof title;
            SendMessageA(GetDlgItem(form, id), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
            EXPECT_STREQ(title, columns[i].title);
            EXPECT_EQ(column.cx, columns[i].width);
        }
    }
}

} // namespace
