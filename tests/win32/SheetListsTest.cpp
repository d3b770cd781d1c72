#include "editor/SheetLists.h"
#include "editor/CellList.h"
#include "editor/ControlText.h"
#include "editor/SheetForm.h"
#include "res/resource.h"
#include "sheet/NewSheet.h"

#include "SheetPrinters.h"
#include "ShownSheetForm.h"
#include "TestFiles.h"
#include "WindowTesting.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <utility>

namespace {

// The sheet form at start, on a record of its own.
class SheetListsTest : public testing::Test {
protected:
    void SetUp() override { form = shown.emplace(sheet).form(); }
    void TearDown() override { shown.reset(); }

    HWND list(int id) const { return GetDlgItem(form, id); }

    std::string cellText(int id, int row, int column) const {
        char text[256] = {};
        ListView_GetItemText(list(id), row, column, text, sizeof text);
        return text;
    }

    std::vector<std::string> names(int id) const {
        std::vector<std::string> out;
        for (int row = 0; row < ListView_GetItemCount(list(id)); ++row)
            out.push_back(cellText(id, row, 0));
        return out;
    }

    static std::vector<std::string> names(const std::vector<PartEntry>& parts) {
        std::vector<std::string> out;
        for (const PartEntry& part : parts)
            out.push_back(part.name);
        return out;
    }

    void paint(int id) const {
        RedrawWindow(list(id), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages();
    }

    // The check-box windows the list holds, or only those shown.
    int boxWindows(int id, bool onlyShown = false) const {
        int windows = 0;
        for (HWND child = FindWindowExA(list(id), nullptr, "Button", nullptr); child != nullptr;
             child = FindWindowExA(list(id), child, "Button", nullptr))
            windows += !onlyShown || IsWindowVisible(child) ? 1 : 0;
        return windows;
    }

    // A click on a cell's box, as the mouse gives it.
    void clickBox(int id, int row, int column) const {
        paint(id);
        HWND box = cellCheckBoxes[list(id)][row][column].box;
        ASSERT_NE(box, nullptr);
        SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }

    // Selects rows as clicks with Ctrl held do: the first click gives the
    // list the focus, and the last row clicked has the item focus, which the
    // list needs before Enter means anything to it.
    void select(int id, std::initializer_list<int> rows) const {
        SetFocus(list(id));
        pumpMessages();
        ListView_SetItemState(list(id), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int row : rows)
            ListView_SetItemState(list(id), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    // Activates a list as the user does: a double click in it (below its
    // rows when `row` is -1), or Enter.
    void doubleClick(int id, int row) const {
        RECT place{};
        if (row >= 0) {
            ListView_GetItemRect(list(id), row, &place, LVIR_LABEL);
        } else {
            GetClientRect(list(id), &place);
            place.top = place.bottom - 4;
        }
        const LPARAM at = MAKELPARAM(place.left + 3, place.top + 2);
        SendMessageA(list(id), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(list(id), WM_LBUTTONUP, 0, at);
        SendMessageA(list(id), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(list(id), WM_LBUTTONUP, 0, at);
    }

    void pressEnter(int id) const { SendMessageA(list(id), WM_KEYDOWN, VK_RETURN, 0); }

    CharacterSheet sheet;
    std::optional<ShownSheetForm> shown;
    HWND form = nullptr;
};

// What an entry dialog showed when it opened, and what to type into it.
struct EntryTyping {
    std::vector<std::string> shown;
    std::vector<std::pair<int, std::string>> typed;

    std::function<void(HWND)> filler() {
        return [this](HWND dialog) {
            for (int id :
                 {IDC_PART_NAME, IDC_PART_TIMING, IDC_PART_COST, IDC_PART_RANGE, IDC_PART_EFFECT,
                  IDC_SKILL_NAME, IDC_SKILL_TIMING, IDC_SKILL_COST, IDC_SKILL_RANGE, IDC_SKILL_EFFECT}) {
                if (HWND box = GetDlgItem(dialog, id))
                    shown.push_back(readControlText(box));
            }
            for (const auto& [id, text] : typed)
                SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        };
    }
};

TEST_F(SheetListsTest, AFreshSheetHoldsTheDefaults) {
    EXPECT_EQ(sheet.getKarma(), (std::vector<std::string>{"記憶のカケラを獲得する", "", ""}));
    std::vector<Regret> regrets(6);
    regrets[0] = {"たからもの", "依存", 0, "幼児退行(最大行動値-2)"};
    EXPECT_EQ(sheet.getRegrets(), regrets);
    EXPECT_TRUE(sheet.getSkills().empty());
    EXPECT_EQ(names(sheet.getHeadParts()), (std::vector<std::string>{"のうみそ", "めだま", "あご"}));
    EXPECT_EQ(names(sheet.getArmParts()), (std::vector<std::string>{"こぶし", "うで", "かた"}));
    EXPECT_EQ(names(sheet.getTorsoParts()), (std::vector<std::string>{"せぼね", "はらわた", "はらわた"}));
    EXPECT_EQ(names(sheet.getLegParts()), (std::vector<std::string>{"ほね", "ほね", "あし"}));
    EXPECT_EQ(sheet.getArmParts()[2], (PartEntry{0, "かた", "アクション", "4", "自身", "移動1"}));
    EXPECT_EQ(sheet.getInitialPlacement(), -1);
    EXPECT_EQ(readControlText(GetDlgItem(form, IDC_KARMA_FIRST)), "記憶のカケラを獲得する");
    EXPECT_EQ(readControlText(GetDlgItem(form, IDC_REGRET_MADNESS_FIRST)), "幼児退行(最大行動値-2)");
    EXPECT_EQ(ListView_GetItemCount(list(IDC_SKILL_LIST)), 0);
    for (BodyLocation location : bodyLocations) {
        const int id = IDC_HEAD_LIST + static_cast<int>(location) - 1;
        EXPECT_EQ(names(id), names(sheet.getParts(location)));
        EXPECT_EQ(cellText(id, 0, 4), sheet.getParts(location)[0].effect);
        for (int row = 0; row < 3; ++row) {
            EXPECT_NE(cellCheckBoxes[list(id)][row][0].box, nullptr);
            EXPECT_NE(cellCheckBoxes[list(id)][row][1].box, nullptr);
            EXPECT_EQ(getCellCheck(list(id), row, 0), 0);
        }
    }
}

TEST_F(SheetListsTest, SavingAtOnceWritesTheNewSheet) {
    ScratchFolder folder;
    ASSERT_TRUE(sheet.saveSheet(folder.file("new.txt")));
    EXPECT_EQ(readBytes(folder.file("new.txt")), readBytes(fixturePath("new-sheet.txt")));
}

TEST_F(SheetListsTest, ChangingOneOfTwoAlikeRowsLeavesTheOther) {
    select(IDC_TORSO_LIST, {2});
    EntryTyping typing{{}, {{IDC_PART_EFFECT, "再生"}}};
    DialogAnswer ok("パーツ", IDOK, typing.filler());
    pressEnter(IDC_TORSO_LIST);
    ASSERT_TRUE(ok.answered());
    EXPECT_EQ(sheet.getTorsoParts()[1].effect, "なし");
    EXPECT_EQ(sheet.getTorsoParts()[2].effect, "再生");
}

TEST_F(SheetListsTest, TickingANameBoxStoresTheCheckMarkAtOnce) {
    clickBox(IDC_HEAD_LIST, 2, 0);
    EXPECT_EQ(getCellCheck(list(IDC_HEAD_LIST), 2, 0), 1);
    EXPECT_EQ(sheet.getHeadParts()[2].checkMark, 1);
    EXPECT_EQ(sheet.getHeadParts()[0].checkMark, 0);
    clickBox(IDC_HEAD_LIST, 2, 0);
    EXPECT_EQ(sheet.getHeadParts()[2].checkMark, 0);
    // The timing box is a mark on the screen only.
    clickBox(IDC_LEG_LIST, 0, 1);
    EXPECT_EQ(getCellCheck(list(IDC_LEG_LIST), 0, 1), 1);
    EXPECT_EQ(sheet.getLegParts(), standardParts(BodyLocation::legs));
}

TEST_F(SheetListsTest, AStoredCheckMarkShowsTickedAndIsReadBackAsOne) {
    sheet.setArmParts({{5, "こぶし", "", "", "", ""}, {0, "うで", "", "", "", ""}});
    refreshSheetForm();
    EXPECT_EQ(getCellCheck(list(IDC_ARM_LIST), 0, 0), 1);
    clickBox(IDC_ARM_LIST, 1, 1);
    EXPECT_EQ(sheet.getArmParts()[0].checkMark, 1);
}

TEST_F(SheetListsTest, GainingTheFocusSelectsTheFirstRowOnlyWithoutASelection) {
    SetFocus(GetDlgItem(form, IDC_DOLL_NAME));
    ListView_SetItemState(list(IDC_ARM_LIST), 2, LVIS_SELECTED, LVIS_SELECTED);
    SetFocus(list(IDC_ARM_LIST));
    pumpMessages();
    EXPECT_EQ(selectedRows(list(IDC_ARM_LIST)), std::vector<int>{2});
    SetFocus(list(IDC_HEAD_LIST));
    pumpMessages();
    EXPECT_EQ(selectedRows(list(IDC_HEAD_LIST)), std::vector<int>{0});
    SetFocus(list(IDC_SKILL_LIST));
    pumpMessages();
    EXPECT_EQ(ListView_GetItemCount(list(IDC_SKILL_LIST)), 0);
}

TEST_F(SheetListsTest, DoubleClickBelowTheRowsAppendsAnEntry) {
    EntryTyping typing{{},
                       {{IDC_SKILL_NAME, "加速"},
                        {IDC_SKILL_TIMING, "オート"},
                        {IDC_SKILL_COST, "なし"},
                        {IDC_SKILL_RANGE, "自身"},
                        {IDC_SKILL_EFFECT, "移動1, 射程:0"}}};
    DialogAnswer ok("スキル", IDOK, typing.filler());
    doubleClick(IDC_SKILL_LIST, -1);
    ASSERT_TRUE(ok.answered());
    EXPECT_EQ(typing.shown, std::vector<std::string>(5)) << "a new entry starts with empty boxes";
    EXPECT_EQ(sheet.getSkills(),
              (std::vector<SkillEntry>{{"加速", "オート", "なし", "自身", "移動1, 射程:0"}}));
    EXPECT_EQ(names(IDC_SKILL_LIST), (std::vector<std::string>{"加速"}));
    EXPECT_EQ(getCellCheck(list(IDC_SKILL_LIST), 0, 1), 0);

    EntryTyping part{{}, {{IDC_PART_NAME, " "}}};
    DialogAnswer partOk("パーツ", IDOK, part.filler());
    doubleClick(IDC_LEG_LIST, -1);
    ASSERT_TRUE(partOk.answered());
    EXPECT_EQ(sheet.getLegParts().back(), (PartEntry{0, " ", "", "", "", ""})) << "a blank is a name";
    EXPECT_EQ(getCellCheck(list(IDC_LEG_LIST), 3, 0), 0);
}

TEST_F(SheetListsTest, EditingARowShowsItsTextsAndClearsItsCheckMark) {
    clickBox(IDC_HEAD_LIST, 1, 0);
    ASSERT_EQ(sheet.getHeadParts()[1].checkMark, 1);
    select(IDC_HEAD_LIST, {1});
    EntryTyping typing{{}, {{IDC_PART_COST, "1"}}};
    DialogAnswer ok("パーツ", IDOK, typing.filler());
    pressEnter(IDC_HEAD_LIST);
    ASSERT_TRUE(ok.answered());
    EXPECT_EQ(typing.shown, (std::vector<std::string>{"めだま", "オート", "なし", "なし", "最大行動値+1"}));
    EXPECT_EQ(sheet.getHeadParts()[1], (PartEntry{0, "めだま", "オート", "1", "なし", "最大行動値+1"}));
    EXPECT_EQ(getCellCheck(list(IDC_HEAD_LIST), 1, 0), 0);
    EXPECT_EQ(sheet.getHeadParts().size(), 3u);
}

TEST_F(SheetListsTest, AnEmptyNameDeletesTheLowestSelectedRow) {
    select(IDC_ARM_LIST, {2, 1});
    ListView_SetItemState(list(IDC_ARM_LIST), 0, 0, LVIS_SELECTED);
    EntryTyping typing{{}, {{IDC_PART_NAME, ""}}};
    DialogAnswer ok("パーツ", IDOK, typing.filler());
    pressEnter(IDC_ARM_LIST);
    ASSERT_TRUE(ok.answered());
    EXPECT_EQ(typing.shown[0], "うで");
    EXPECT_EQ(names(sheet.getArmParts()), (std::vector<std::string>{"こぶし", "かた"}));
    EXPECT_EQ(names(IDC_ARM_LIST), (std::vector<std::string>{"こぶし", "かた"}));
    // Each opening edits the list that was activated, and only that one.
    EXPECT_EQ(sheet.getHeadParts(), standardParts(BodyLocation::head));
    EXPECT_EQ(sheet.getLegParts(), standardParts(BodyLocation::legs));
}

TEST_F(SheetListsTest, AnEmptyNameWithoutSelectionAddsNothing) {
    DialogAnswer ok("パーツ", IDOK);
    doubleClick(IDC_TORSO_LIST, -1);
    ASSERT_TRUE(ok.answered());
    EXPECT_EQ(sheet.getTorsoParts(), standardParts(BodyLocation::torso));
    EXPECT_EQ(ListView_GetItemCount(list(IDC_TORSO_LIST)), 3);
}

TEST_F(SheetListsTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    const std::pair<const char*, std::function<void(HWND)>> ways[] = {
        {"Cancel", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }},
        {"Escape",
         [](HWND dialog) {
             HWND box = GetDlgItem(dialog, IDC_PART_NAME);
             PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
             PostMessageA(box, WM_KEYUP, VK_ESCAPE, 0);
         }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    clickBox(IDC_HEAD_LIST, 0, 1); // a tick that a rebuild would take away
    for (const auto& [way, end] : ways) {
        select(IDC_HEAD_LIST, {0});
        DialogAnswer cancel("パーツ", 0, [&end](HWND dialog) {
            SendMessageA(GetDlgItem(dialog, IDC_PART_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
            end(dialog);
        });
        pressEnter(IDC_HEAD_LIST);
        ASSERT_TRUE(cancel.answered()) << way;
        EXPECT_EQ(sheet.getHeadParts(), standardParts(BodyLocation::head)) << way;
        EXPECT_EQ(getCellCheck(list(IDC_HEAD_LIST), 0, 1), 1) << way << ": the list was rebuilt";
        EXPECT_FALSE(IsWindow(FindWindowA("#32770", "パーツ"))) << way;
    }
}

// ---- Check boxes only where their rows are shown ----

class CellBoxesInView : public SheetListsTest {
protected:
    void SetUp() override {
        SheetListsTest::SetUp();
        std::vector<SkillEntry> skills(40);
        for (std::size_t i = 0; i < skills.size(); ++i)
            skills[i] = {"skill " + std::to_string(i), "t", "", "", ""};
        sheet.setSkills(skills);
        refreshSheetForm();
        paint(IDC_SKILL_LIST);
    }

    HWND box(int row) const { return cellCheckBoxes[list(IDC_SKILL_LIST)][row][1].box; }

    RECT placeInList(HWND window) const {
        RECT rect;
        GetWindowRect(window, &rect);
        MapWindowPoints(HWND_DESKTOP, list(IDC_SKILL_LIST), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // The box stands at the left of its cell, or is hidden when its row is
    // not shown whole.
    void expectBoxesWithTheirRows() const {
        HWND skills = list(IDC_SKILL_LIST);
        RECT rows;
        GetClientRect(skills, &rows);
        rows.top = placeInList(ListView_GetHeader(skills)).bottom;
        for (int row = 0; row < 40; ++row) {
            RECT cell;
            ListView_GetSubItemRect(skills, row, 1, LVIR_LABEL, &cell);
            const bool inView = cell.top >= rows.top && cell.top + 12 <= rows.bottom;
            EXPECT_EQ(IsWindowVisible(box(row)) != FALSE, inView) << "row " << row;
            if (inView) {
                const RECT place = placeInList(box(row));
                EXPECT_EQ(place.left, cell.left) << "row " << row;
                EXPECT_EQ(place.top, cell.top) << "row " << row;
            }
        }
    }
};

TEST_F(CellBoxesInView, OnlyRowsInViewShowTheirBoxes) {
    EXPECT_TRUE(IsWindowVisible(box(0)));
    EXPECT_FALSE(IsWindowVisible(box(39)));
    expectBoxesWithTheirRows();
}

TEST_F(CellBoxesInView, ScrollingTakesTheBoxesAlong) {
    ListView_EnsureVisible(list(IDC_SKILL_LIST), 39, FALSE);
    paint(IDC_SKILL_LIST);
    EXPECT_FALSE(IsWindowVisible(box(0)));
    EXPECT_TRUE(IsWindowVisible(box(39)));
    expectBoxesWithTheirRows();
    ListView_Scroll(list(IDC_SKILL_LIST), 0, -60);
    pumpMessages();
    paint(IDC_SKILL_LIST);
    expectBoxesWithTheirRows();
}

TEST_F(CellBoxesInView, BoxesOfNewRowsWaitHiddenForTheirPaint) {
    refreshSheetForm();
    for (int row = 0; row < 40; ++row)
        EXPECT_FALSE(IsWindowVisible(box(row))) << "row " << row;
    paint(IDC_SKILL_LIST);
    expectBoxesWithTheirRows();
}

TEST_F(CellBoxesInView, AListFilledAgainShorterShowsNoBoxBesideItsRows) {
    sheet.setSkills({{"one", "t", "", "", ""}, {"two", "t", "", "", ""}});
    refreshSheetForm();
    paint(IDC_SKILL_LIST);
    EXPECT_EQ(boxWindows(IDC_SKILL_LIST, true), 2);
}

// What the screen shows of `window` within `area`: whether it holds `ink`,
// and how many colours it holds.
std::pair<bool, std::size_t> screenInk(HWND window, const RECT& area, COLORREF ink) {
    const HDC dc = GetDC(window);
    std::set<COLORREF> seen;
    for (int y = area.top + 1; y < area.bottom - 1; ++y)
        for (int x = area.left + 1; x < area.right - 1; ++x)
            seen.insert(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return {seen.contains(ink), seen.size()};
}

// A list filled again paints as it stands, with no repaint asked of its
// children: its header, its row and the row's box are all on the screen.
TEST_F(SheetListsTest, AListFilledAgainShowsItsHeaderRowsAndBoxesOnScreen) {
    pumpMessages();
    sheet.setHeadParts({{0, "のうみそ", "オート", "なし", "なし", "最大行動値+2"}});
    refreshSheetForm();
    pumpMessages();
    HWND head = list(IDC_HEAD_LIST), header = ListView_GetHeader(head);
    RECT title, row, box;
    Header_GetItemRect(header, 0, &title);
    ListView_GetItemRect(head, 0, &row, LVIR_BOUNDS);
    GetClientRect(cellCheckBoxes[head][0][0].box, &box);
    EXPECT_TRUE(screenInk(header, title, GetSysColor(COLOR_BTNTEXT)).first) << "the header's title";
    EXPECT_TRUE(screenInk(head, row, GetSysColor(COLOR_WINDOWTEXT)).first) << "the row's text";
    EXPECT_GT(screenInk(cellCheckBoxes[head][0][0].box, box, 0).second, 1u) << "the row's box";
}

// A sheet with thousands of parts, as a player who never deletes one has.
class LongPartList : public SheetListsTest {
protected:
    static constexpr int partCount = 3000;

    void SetUp() override {
        SheetListsTest::SetUp();
        std::vector<PartEntry> parts(partCount);
        for (int i = 0; i < partCount; ++i)
            parts[static_cast<std::size_t>(i)] = {
                i % 3 == 0 ? 1 : 0, "パーツ" + std::to_string(i), "アクション", "1", "0", "肉弾攻撃1"};
        CharacterSheet written;
        written.setHeadParts(parts);
        ASSERT_TRUE(written.saveSheet(opened));
        ASSERT_TRUE(sheet.loadSheet(opened));
        refreshSheetForm();
        paint(IDC_HEAD_LIST);
    }

    // Two boxes a row, for the rows in view and one shown in part.
    int boxWindowLimit() const { return 2 * (ListView_GetCountPerPage(list(IDC_HEAD_LIST)) + 2); }

    ScratchFolder folder;
    std::string opened = folder.file("long.txt");
};

TEST_F(LongPartList, SavesUntouchedToTheSameBytes) {
    ASSERT_TRUE(sheet.saveSheet(folder.file("saved.txt")));
    EXPECT_EQ(readBytes(folder.file("saved.txt")), readBytes(opened));
    for (int row : {0, 1, partCount - 1})
        EXPECT_EQ(getCellCheck(list(IDC_HEAD_LIST), row, 0), row % 3 == 0 ? 1 : 0) << row;
}

TEST_F(LongPartList, HoldsWindowsOnlyForTheRowsInViewWhileScrolling) {
    HWND head = list(IDC_HEAD_LIST);
    for (int row = 0; row < partCount; row += partCount / 7) {
        ListView_EnsureVisible(head, row, FALSE);
        paint(IDC_HEAD_LIST);
        EXPECT_GT(boxWindows(IDC_HEAD_LIST), 0) << row;
        EXPECT_LE(boxWindows(IDC_HEAD_LIST), boxWindowLimit()) << row;
    }
}

TEST_F(LongPartList, ATickOnTheLastRowIsStoredAndSaved) {
    ListView_EnsureVisible(list(IDC_HEAD_LIST), partCount - 1, FALSE);
    clickBox(IDC_HEAD_LIST, partCount - 1, 0);
    pumpMessages();
    const std::vector<PartEntry> parts = sheet.getHeadParts();
    ASSERT_EQ(parts.size(), static_cast<std::size_t>(partCount));
    EXPECT_EQ(parts.back().checkMark, 1);
    // The ticks of rows out of view, which have no box window now, stay.
    for (int row : {0, 1, 3, partCount - 2})
        EXPECT_EQ(parts[static_cast<std::size_t>(row)].checkMark, row % 3 == 0 ? 1 : 0) << row;
    ASSERT_TRUE(sheet.saveSheet(folder.file("saved.txt")));
    EXPECT_NE(readBytes(folder.file("saved.txt")).find(":1,パーツ2999,"), std::string::npos);
}
} // namespace
