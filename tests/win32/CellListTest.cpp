#include "editor/CellList.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr char parentClass[] = "CellListTestParent";
constexpr int firstColumnWidth = 120;
constexpr int secondColumnWidth = 160;

// The list's parent as the sheet form plays it: every row painting goes to
// drawCellRow, and each toggle notification is kept for the test to read.
std::vector<NMHDR> toggleNotifications;

LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM: drawCellRow(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_NOTIFY:
        if (const auto& header = *reinterpret_cast<NMHDR*>(lParam); header.code == cellCheckToggled)
            toggleNotifications.push_back(header);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerParentClass() {
    static const ATOM registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = parentProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = parentClass;
        return RegisterClassA(&windowClass);
    }();
    ASSERT_NE(registered, 0);
}

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void paint(HWND list) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
}

RECT cellRect(HWND list, int row, int column, int part) {
    RECT rect{};
    ListView_GetSubItemRect(list, row, column, part, &rect);
    return rect;
}

// Where the box sits, in the list's client coordinates.
RECT placement(HWND box) {
    RECT rect;
    GetWindowRect(box, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(box), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string cellText(HWND list, int row, int column) {
    std::array<char, 256> text{};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text.data();
}

int rowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

COLORREF pixel(HWND list, int x, int y) {
    const HDC dc = GetDC(list);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(list, dc);
    return colour;
}

// A point inside the cell that its text, its box and the grid lines leave
// alone.
COLORREF cellFill(HWND list, int row, int column) {
    const RECT cell = cellRect(list, row, column, LVIR_BOUNDS);
    return pixel(list, cell.right - 8, (cell.top + cell.bottom) / 2);
}

// The first pixel column of the text rectangle, from `from` on, holding
// anything but the cell's fill: where the text's ink begins. The top and
// bottom lines are left out for the grid.
int firstInk(HWND list, int row, int column, int from) {
    const RECT text = cellRect(list, row, column, LVIR_LABEL);
    const COLORREF fill = cellFill(list, row, column);
    for (int x = from; x < text.right; ++x)
        for (int y = text.top + 1; y < text.bottom - 1; ++y)
            if (pixel(list, x, y) != fill)
                return x;
    ADD_FAILURE() << "no text in row " << row << " column " << column;
    return text.right;
}

// A report list as the sheet form's dialog template makes it, prepared and
// given two columns, in a plain visible parent.
class CellListTest : public testing::Test {
protected:
    // One parent serves the whole suite: destroying a visible top-level
    // window makes Wine wait two seconds for a window manager, and Xvfb
    // runs none.
    static void SetUpTestSuite() {
        registerParentClass();
        parent = CreateWindowExA(0, parentClass, "cells", WS_POPUP | WS_VISIBLE, 0, 0, 500, 360, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    static void TearDownTestSuite() {
        DestroyWindow(parent);
        pumpMessages();
    }

    void SetUp() override {
        ASSERT_NE(parent, nullptr);
        list = CreateWindowExA(
            0, WC_LISTVIEWA, "",
            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_ALIGNLEFT,
            10, 10, 420, 260, parent, reinterpret_cast<HMENU>(1090), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(list, nullptr);
        enableCellList(list);
        insertCellColumn(list, 0, firstColumnWidth, "名前");
        insertCellColumn(list, 1, secondColumnWidth, "タイミング");
        pumpMessages();
        toggleNotifications.clear();
    }

    void TearDown() override {
        DestroyWindow(list);
        pumpMessages();
    }

    HWND checkBox(int row, int column) const {
        const auto rows = cellCheckBoxes.find(list);
        if (rows == cellCheckBoxes.end() || !rows->second.contains(row) ||
            !rows->second.at(row).contains(column))
            return nullptr;
        return rows->second.at(row).at(column).box;
    }

    static inline HWND parent = nullptr;
    HWND list = nullptr;
};

TEST_F(CellListTest, PreparingAddsGridLinesFullRowSelectAndInfoTips) {
    const auto extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(extended & 0x421, 0x421);
}

TEST_F(CellListTest, SettingACellCreatesEveryRowUpToIt) {
    setCell(list, 3, 0, "左腕", false);
    ASSERT_EQ(rowCount(list), 4);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(cellText(list, row, 0), "") << "row " << row;
    EXPECT_EQ(cellText(list, 3, 0), "左腕");

    setCell(list, 1, 1, "オート", false);
    EXPECT_EQ(rowCount(list), 4);
    EXPECT_EQ(cellText(list, 1, 1), "オート");
}

TEST_F(CellListTest, ACheckBoxIsAClearTwelvePixelButtonInsideTheList) {
    setCell(list, 0, 1, "ジャッジ", true);
    paint(list); // a box's window is made when its row is painted
    const HWND box = checkBox(0, 1);
    ASSERT_TRUE(IsWindow(box));
    std::array<char, 32> className{};
    GetClassNameA(box, className.data(), static_cast<int>(className.size()));
    EXPECT_STRCASEEQ(className.data(), "BUTTON"); // Windows spells it "Button"
    EXPECT_EQ(GetParent(box), list);
    EXPECT_EQ(GetWindowLongPtrA(box, GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX);
    const RECT rect = placement(box);
    EXPECT_EQ(rect.right - rect.left, 12);
    EXPECT_EQ(rect.bottom - rect.top, 12);
    EXPECT_EQ(getCellCheck(list, 0, 1), 0);
}

TEST_F(CellListTest, PaintingPutsEachCheckBoxAtTheTopLeftOfItsCellText) {
    for (int row = 0; row < 3; ++row) {
        setCell(list, row, 0, "腕", true);
        setCell(list, row, 1, "アクション", true);
    }
    paint(list);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column) {
            const RECT text = cellRect(list, row, column, LVIR_LABEL);
            const RECT box = placement(checkBox(row, column));
            EXPECT_EQ(box.left, text.left) << "row " << row << " column " << column;
            EXPECT_EQ(box.top, text.top) << "row " << row << " column " << column;
            EXPECT_EQ(box.right - box.left, 12);
            EXPECT_EQ(box.bottom - box.top, 12);
        }
}

TEST_F(CellListTest, EachClickTogglesTheBoxAndNotifiesTheParentOnce) {
    setCell(list, 0, 0, "かいな", true);
    setCell(list, 0, 1, "オート", true);
    paint(list);
    const HWND box = checkBox(0, 0);
    ASSERT_TRUE(IsWindow(box));
    for (const int expected : {1, 0}) {
        SendMessageA(box, BM_CLICK, 0, 0);
        pumpMessages();
        EXPECT_EQ(getCellCheck(list, 0, 0), expected);
    }
    ASSERT_EQ(toggleNotifications.size(), 2u);
    for (const NMHDR& header : toggleNotifications) {
        EXPECT_EQ(header.hwndFrom, list);
        EXPECT_EQ(header.idFrom, 0u);
    }
    EXPECT_EQ(getCellCheck(list, 0, 1), 0);
}

TEST_F(CellListTest, OnlyAClickOnACellBoxTogglesIt) {
    setCell(list, 0, 0, "かいな", true);
    const HWND box = checkBox(0, 0);
    const HWND stranger = CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_CHECKBOX, 0, 0, 12, 12, list,
                                          nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list, WM_COMMAND, MAKEWPARAM(0, BN_SETFOCUS), reinterpret_cast<LPARAM>(box));
    SendMessageA(list, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(stranger));
    SendMessageA(list, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
    EXPECT_EQ(getCellCheck(list, 0, 0), 0);
    EXPECT_EQ(SendMessageA(stranger, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(toggleNotifications.empty());
}

TEST_F(CellListTest, ADestroyedListLeavesNothingInTheRegistry) {
    setCell(list, 3, 1, "オート", true);
    ASSERT_TRUE(cellCheckBoxes.contains(list));
    DestroyWindow(list);
    EXPECT_FALSE(cellCheckBoxes.contains(list));
}

TEST_F(CellListTest, AMouseClickOnThePaintedBoxTogglesIt) {
    setCell(list, 0, 0, "かいな", true);
    paint(list);
    const HWND box = checkBox(0, 0);
    const LPARAM middle = MAKELPARAM(6, 6);
    SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageA(box, WM_LBUTTONUP, 0, middle);
    pumpMessages();
    EXPECT_EQ(getCellCheck(list, 0, 0), 1);
    ASSERT_EQ(toggleNotifications.size(), 1u);
    EXPECT_EQ(toggleNotifications[0].hwndFrom, list);
}

TEST_F(CellListTest, SettingTheStateTicksAndClearsWithoutNotifying) {
    setCell(list, 2, 1, "ダメージ", true);
    paint(list);
    setCellCheck(list, 2, 1, 1);
    EXPECT_EQ(getCellCheck(list, 2, 1), 1);
    EXPECT_EQ(SendMessageA(checkBox(2, 1), BM_GETCHECK, 0, 0), BST_CHECKED);
    setCellCheck(list, 2, 1, 0);
    EXPECT_EQ(getCellCheck(list, 2, 1), 0);
    EXPECT_TRUE(toggleNotifications.empty());
}

TEST_F(CellListTest, ACellWithoutACheckBoxReadsClearAndIgnoresSetting) {
    setCell(list, 0, 0, "うで", false);
    const std::array<std::array<int, 2>, 3> cells{{{0, 0}, {0, 1}, {5, 0}}}; // text only, never set, no row
    for (const auto& [row, column] : cells) {
        setCellCheck(list, row, column, 1);
        EXPECT_EQ(getCellCheck(list, row, column), 0) << "row " << row << " column " << column;
    }
}

TEST_F(CellListTest, SettingACellWithoutACheckBoxDestroysItsBox) {
    setCell(list, 0, 0, "かいな", true);
    setCell(list, 0, 1, "オート", true);
    paint(list);
    const HWND removed = checkBox(0, 0);
    setCellCheck(list, 0, 0, 1);
    setCell(list, 0, 0, "ほね", false);
    EXPECT_FALSE(IsWindow(removed));
    EXPECT_EQ(getCellCheck(list, 0, 0), 0);
    EXPECT_EQ(cellText(list, 0, 0), "ほね");
    EXPECT_TRUE(IsWindow(checkBox(0, 1)));
}

TEST_F(CellListTest, ClearingDeletesEveryRowAndDestroysEveryBox) {
    std::vector<HWND> boxes;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            setCell(list, row, column, "x", true);
    paint(list);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            boxes.push_back(checkBox(row, column));
    clearCells(list);
    EXPECT_EQ(rowCount(list), 0);
    for (const HWND box : boxes)
        EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(getCellCheck(list, 0, 0), 0);

    setCell(list, 0, 0, "あし", true);
    EXPECT_EQ(rowCount(list), 1);
    paint(list);
    EXPECT_TRUE(IsWindow(checkBox(0, 0)));
}

struct TextBackgroundCase {
    const char* name;
    COLORREF listSetting;
    COLORREF expectedFill; // CLR_INVALID: the system window colour
};

class CellListFillTest : public CellListTest, public testing::WithParamInterface<TextBackgroundCase> {};

TEST_P(CellListFillTest, FillsEveryCellWithTheTextBackground) {
    // The list's own background shows wherever a cell is left unfilled.
    SendMessageA(list, LVM_SETBKCOLOR, 0, RGB(255, 0, 255));
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, GetParam().listSetting);
    setCell(list, 0, 0, "腕", false);
    setCell(list, 0, 1, "オート", true);
    paint(list);
    const COLORREF expected =
        GetParam().expectedFill == CLR_INVALID ? GetSysColor(COLOR_WINDOW) : GetParam().expectedFill;
    for (int column = 0; column < 2; ++column)
        EXPECT_EQ(cellFill(list, 0, column), expected) << "column " << column;
}

INSTANTIATE_TEST_SUITE_P(TextBackgrounds, CellListFillTest,
                         testing::Values(TextBackgroundCase{"none", CLR_NONE, CLR_INVALID},
                                         TextBackgroundCase{"default", CLR_DEFAULT, CLR_INVALID},
                                         TextBackgroundCase{"colour", RGB(200, 220, 240),
                                                            RGB(200, 220, 240)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CellListTest, ASelectedRowIsHighlightedAcrossEveryColumn) {
    for (int row = 0; row < 3; ++row) {
        setCell(list, row, 0, "腕", false);
        setCell(list, row, 1, "オート", true);
    }
    SetFocus(list);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    paint(list);
    for (int column = 0; column < 2; ++column) {
        EXPECT_EQ(cellFill(list, 1, column), GetSysColor(COLOR_HIGHLIGHT)) << "column " << column;
        EXPECT_EQ(cellFill(list, 0, column), GetSysColor(COLOR_WINDOW)) << "column " << column;
        EXPECT_EQ(cellFill(list, 2, column), GetSysColor(COLOR_WINDOW)) << "column " << column;
    }
}

TEST_F(CellListTest, TextAfterACheckBoxStartsTwelvePixelsFurtherRight) {
    for (int column = 0; column < 2; ++column) {
        setCell(list, 0, column, "ABC", false);
        setCell(list, 1, column, "ABC", true);
    }
    paint(list);
    for (int column = 0; column < 2; ++column) {
        const int left = cellRect(list, 0, column, LVIR_LABEL).left;
        // Both searches start one pixel into the text's own room, past
        // whatever grid line or box precedes it.
        const int plain = firstInk(list, 0, column, left + 1);
        const int boxed = firstInk(list, 1, column, left + 12 + 1);
        EXPECT_GE(plain - left, 2) << "column " << column;
        EXPECT_EQ(boxed - plain, 12) << "column " << column;
    }
}

} // namespace
