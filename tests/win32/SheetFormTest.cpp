#include "editor/SheetForm.h"
#include "editor/CellList.h"
#include "editor/ControlText.h"
#include "refdata/ReferenceData.h"
#include "res/resource.h"

#include "SheetPrinters.h"
#include "ShownSheetForm.h"
#include "TestFiles.h"
#include "WindowTesting.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

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
        form = shown.emplace(sheet).form();
    }

    void TearDown() override {
        shown.reset();
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
    std::optional<ShownSheetForm> shown;
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
    EXPECT_EQ(sheet.getKarma(), (std::vector<std::string>{"記憶のカケラを獲得する", "", "三行目"}));
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
    } cases[] = {{"", 0, true, "0"},     {"―", 0, true, "0"}, {"0", 0, false, "0"},    {"00", 0, false, "00"},
                 {" 0", 0, false, " 0"}, {"7", 8, true, "8"}, {"-1", -1, false, "-1"}, {"x", 5, true, "5"}};
    for (const auto& c : cases) {
        SetWindowTextA(control(IDC_MAX_ACTION), c.shown);
        EXPECT_EQ(writeControlNumber(control(IDC_MAX_ACTION), c.value), c.writes) << c.shown;
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

namespace {

// Where every control of the form stands, in dialog units, and what it is.
struct ControlPlace {
    int id;
    int x, y, width, height;
    const char* className;
    LONG styles; // bits the control must have
};

constexpr LONG textBox = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr LONG numberBox = textBox | ES_NUMBER;
// A combo box hands its scroll bar style on to its list.
constexpr LONG dropDown = CBS_DROPDOWN | WS_TABSTOP;
constexpr LONG checkBox = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr LONG listView = LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_ALIGNLEFT | WS_BORDER | WS_TABSTOP;

std::vector<ControlPlace> controlMap() {
    std::vector<ControlPlace> map = {
        {IDC_DOLL_NAME, 51, 7, 75, 12, "Edit", textBox},
        {IDC_PLAYER_NAME, 51, 20, 75, 12, "Edit", textBox},
        {IDC_AGE_AT_DEATH, 27, 33, 20, 12, "Edit", textBox},
        {IDC_SUGGESTION, 71, 33, 80, 12, "Edit", textBox},
        {IDC_ARMAMENT, 131, 46, 20, 12, "Edit", numberBox},
        {IDC_MUTATION, 131, 60, 20, 12, "Edit", numberBox},
        {IDC_MODIFICATION, 131, 74, 20, 12, "Edit", numberBox},
        {IDC_FAVOR_POINTS, 127, 19, 24, 12, "Edit", numberBox},
        {IDC_PORTRAIT_FRAME, 152, 8, 100, 123, "Static", SS_BLACKFRAME},
        {IDC_SKILL_LIST, 7, 227, 245, 80, "SysListView32", listView},
        {IDC_MAX_ACTION_BONUS, 269, 20, 20, 12, "Edit", numberBox},
        {IDC_MAX_ACTION, 300, 20, 20, 12, "Edit", numberBox},
        {IDC_HEAD_LIST, 257, 48, 245, 80, "SysListView32", listView},
        {IDC_ARM_LIST, 257, 136, 245, 80, "SysListView32", listView},
        {IDC_TORSO_LIST, 257, 224, 245, 80, "SysListView32", listView},
        {IDC_LEG_LIST, 257, 312, 245, 80, "SysListView32", listView},
    };
    // Drop-down boxes report the height of their closed field, not of the list.
    for (int i = 0; i < 3; ++i)
        map.push_back({IDC_POSITION + i, 47, 46 + 14 * i, 60, 0, "ComboBox", dropDown});
    const int karmaMarkY[] = {96, 110, 123};
    for (int k = 0; k < 3; ++k) {
        map.push_back({IDC_KARMA_FIRST + k, 21, 95 + 13 * k, 130, 12, "Edit", textBox});
        map.push_back({IDC_KARMA_MARK_FIRST + k, 10, karmaMarkY[k], 8, 10, "Button", checkBox});
        map.push_back({IDC_PLACEMENT_FIRST + k, 362, 7 + 10 * k, 28, 8, "Button", checkBox});
    }
    for (int r = 0; r < 6; ++r) {
        map.push_back({IDC_MEMORY_TITLE_FIRST + r, 7, 142 + 13 * r, 70, 12, "Edit", textBox});
        map.push_back({IDC_MEMORY_NUMBER_FIRST + r, 78, 142 + 13 * r, 20, 12, "Edit", numberBox});
        map.push_back({IDC_MEMORY_CONTENT_FIRST + r, 99, 142 + 13 * r, 153, 12, "Edit", textBox});
        map.push_back({IDC_REGRET_TARGET_FIRST + r, 7, 315 + 13 * r, 65, 12, "Edit", textBox});
        map.push_back({IDC_REGRET_CONTENT_FIRST + r, 89, 315 + 13 * r, 35, 12, "Edit", textBox});
        map.push_back({IDC_REGRET_MADNESS_FIRST + r, 162, 315 + 13 * r, 90, 12, "Edit", textBox});
        const int madness[] = {IDC_MADNESS_1_FIRST, IDC_MADNESS_2_FIRST, IDC_MADNESS_3_FIRST,
                               IDC_MADNESS_4_FIRST};
        for (int box = 0; box < 4; ++box)
            map.push_back({madness[box] + r, 125 + 9 * box, 317 + 13 * r, 8, 10, "Button", checkBox});
    }
    return map;
}

TEST_F(SheetFormTest, EveryControlStandsWhereTheSheetHasIt) {
    RECT size = {0, 0, 509, 399};
    MapDialogRect(form, &size);
    RECT client;
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    for (const ControlPlace& place : controlMap()) {
        HWND item = control(place.id);
        ASSERT_NE(item, nullptr) << place.id;
        char className[64];
        GetClassNameA(item, className, sizeof className);
        EXPECT_EQ(lstrcmpiA(className, place.className), 0) << place.id << " is a " << className;
        // The dialog manager gives edit boxes a sunken client edge in place
        // of their border.
        LONG styles = GetWindowLongA(item, GWL_STYLE);
        if ((GetWindowLongA(item, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0)
            styles |= WS_BORDER;
        EXPECT_EQ(styles & place.styles, place.styles) << place.id;
        // Position and size are converted separately, as the dialog manager does.
        RECT expectedPlace = {place.x, place.y, 0, 0};
        RECT expectedSize = {0, 0, place.width, place.height};
        MapDialogRect(form, &expectedPlace);
        MapDialogRect(form, &expectedSize);
        RECT actual;
        GetWindowRect(item, &actual);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expectedPlace.left) << place.id;
        EXPECT_EQ(actual.top, expectedPlace.top) << place.id;
        EXPECT_EQ(actual.right - actual.left, expectedSize.right) << place.id;
        if (place.height > 0) {
            EXPECT_EQ(actual.bottom - actual.top, expectedSize.bottom) << place.id;
        }
    }
}

TEST_F(SheetFormTest, TheFormReadsLikeTheSheetInItsLabels) {
    // Every label of the sheet, found among the form's static texts.
    std::vector<std::string> labels;
    EnumChildWindows(
        form,
        [](HWND child, LPARAM found) {
            char className[16];
            GetClassNameA(child, className, sizeof className);
            if (lstrcmpiA(className, "Static") == 0 && GetDlgCtrlID(child) == -1)
                reinterpret_cast<std::vector<std::string>*>(found)->push_back(readControlText(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&labels));
    for (const char* label : {"ドール名:",
                              "プレイヤー名:",
                              "享年:",
                              "暗示:",
                              "ポジション:",
                              "メインクラス:",
                              "サブクラス:",
                              "武装:",
                              "変異:",
                              "改造:",
                              "カルマ",
                              "寵愛点",
                              "記憶のカケラ",
                              "タイトル",
                              "番号",
                              "記憶の内容",
                              "スキル",
                              "未練",
                              "対象",
                              "への",
                              "内容",
                              "発狂",
                              "最大行動値",
                              "6+",
                              "=",
                              "初期配置:",
                              "頭/攻撃判定値 10",
                              "腕/攻撃判定値 9",
                              "胴/攻撃判定値 8",
                              "脚/攻撃判定値 7"})
        EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
    EXPECT_EQ(std::count(labels.begin(), labels.end(), "への"), 6);
    EXPECT_EQ(readControlText(control(IDC_PLACEMENT_FIRST + 2)), "楽園");
}

} // namespace
