#include "editor/CellList.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <vector>

namespace {

// The list-view class's own procedure. Every prepared list is a control of
// the same class, so one saved value serves them all.
WNDPROC savedListProc = nullptr;

// Sizes in pixels at 96 dots an inch, scaled to the screen when drawn.
constexpr int checkBoxSize = 12;
constexpr int textMargin = 2;
constexpr int cellTextCapacity = 256;

struct CellAlignment {
    UINT flag;
    int rightMargin;
};

// Pixels given at 96 dots an inch on a screen of `dpi` dots an inch.
int onScreen(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}

// A system-aware program draws every window at the system's dots an inch,
// which stay as they were when it started: they are asked for once, not
// with a device context for each column of each list.
int screenDpi() {
    static const int dpi = [] {
        const HDC screen = GetDC(nullptr);
        const int logPixels = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return logPixels;
    }();
    return dpi;
}

// Indexed by the justification bits of a column's format; 3 is no
// documented format and is drawn centred like 2.
constexpr std::array<CellAlignment, 4> cellAlignments{{
    {DT_LEFT, 0},
    {DT_RIGHT, 6},
    {DT_CENTER, 0},
    {DT_CENTER, 0},
}};

// The list whose row was painted last. A paint can draw none of a list's
// rows, as Wine's list does in a paint that comes while it is filled again:
// the boxes set aside then wait standing for the paint that draws the rows.
HWND listOfLastRow = nullptr;

COLORREF textBackground(HWND list) {
    const auto colour = static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0));
    // CLR_NONE and CLR_DEFAULT are markers in the top byte, not colours.
    return (colour & 0xFF000000) != 0 ? GetSysColor(COLOR_WINDOW) : colour;
}

// Returns the brush the row's cells are filled with; the caller deletes it.
HBRUSH chooseRowColours(const DRAWITEMSTRUCT& item) {
    if ((item.itemState & ODS_SELECTED) == 0)
        return CreateSolidBrush(textBackground(item.hwndItem));
    SetBkColor(item.hDC, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(item.hDC, GetSysColor(COLOR_HIGHLIGHTTEXT));
    return CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
}

RECT rowRect(HWND list, int row, int part) {
    RECT rect{};
    rect.left = part;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// The focus frame leaves out whatever the row shows left of its label.
RECT focusRect(HWND list, int row) {
    RECT focus = rowRect(list, row, LVIR_BOUNDS);
    focus.left = rowRect(list, row, LVIR_LABEL).left;
    return focus;
}

int columnCount(HWND list) {
    const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

const CellAlignment& columnAlignment(HWND list, int column) {
    LVCOLUMNA format{};
    format.mask = LVCF_FMT;
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&format));
    return cellAlignments[format.fmt & LVCFMT_JUSTIFYMASK];
}

// Longer texts are drawn cut to the buffer; the list keeps them whole.
std::array<char, cellTextCapacity> cellText(HWND list, int row, int column) {
    std::array<char, cellTextCapacity> text{};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = cellTextCapacity;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void drawCellText(HDC dc, char* text, RECT textRect, const CellAlignment& alignment, int dpi) {
    DRAWTEXTPARAMS margins{};
    margins.cbSize = sizeof(margins);
    margins.iLeftMargin = onScreen(textMargin, dpi);
    margins.iRightMargin = onScreen(alignment.rightMargin, dpi);
    DrawTextExA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | alignment.flag,
                &margins);
}

void drawCell(const DRAWITEMSTRUCT& item, int column, HBRUSH brush, int dpi, const RECT& rowArea) {
    const HWND list = item.hwndItem;
    const int row = static_cast<int>(item.itemID);
    // For column 0 the list reports the whole row, which the later columns
    // then fill again over their own parts.
    const RECT bounds = subItemRect(list, row, column, LVIR_BOUNDS);
    FillRect(item.hDC, &bounds, brush);
    const CellAlignment& alignment = columnAlignment(list, column);
    RECT textRect = subItemRect(list, row, column, LVIR_LABEL);
    auto text = cellText(list, row, column);
    placeCheckBox(list, row, column, textRect, onScreen(checkBoxSize, dpi), rowArea);
    drawCellText(item.hDC, text.data(), textRect, alignment, dpi);
}

void addMissingRows(HWND list, int row) {
    char noText[] = "";
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = noText;
    for (auto next = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); next <= row; ++next) {
        item.iItem = static_cast<int>(next);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void setCellText(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    // The list copies the text; it never writes through the pointer.
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// The dialog manager takes Enter for the dialog's default button unless the
// control asks for it: a list asks, so that Enter activates its rows as a
// double click does.
LRESULT dialogCode(HWND list, WPARAM wParam, LPARAM lParam) {
    const LRESULT code = CallWindowProcA(savedListProc, list, WM_GETDLGCODE, wParam, lParam);
    const auto* key = reinterpret_cast<const MSG*>(lParam);
    const bool enter = key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
    return enter ? code | DLGC_WANTMESSAGE : code;
}

// Wine's list selects a clicked row before it takes the focus. Taking the
// focus first, as Windows' list does, lets the click's selection stand over
// whatever the parent selects when the list gains the focus.
void takeFocusBeforeClick(HWND list) {
    if (GetFocus() != list)
        SetFocus(list);
}

// A right-click selects as Explorer does: a row not yet selected becomes the
// only selected row, one already selected keeps the selection with it, and
// the empty area keeps the selection as it is. Wine's list would clear it
// there, and asks for its menu only once a drag of the right button is ruled
// out.
void selectForMenu(HWND list, LPARAM at) {
    takeFocusBeforeClick(list);
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    const auto row = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0)
        return;
    if (ListView_GetItemState(list, row, LVIS_SELECTED) == 0)
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The list's menu is asked for where the list's own handle travels with the
// message: the parent hears it as the list's.
void askForMenu(HWND list, LPARAM at) {
    SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), at);
}

void askForMenuAtPointer(HWND list, LPARAM at) {
    POINT place = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ClientToScreen(list, &place);
    askForMenu(list, MAKELPARAM(place.x, place.y));
}

// Shift+F10 and the menu key ask for the menu at the keyboard's place.
bool isMenuKey(UINT message, WPARAM key) {
    const bool shiftF10 = message == WM_SYSKEYDOWN && key == VK_F10 && GetKeyState(VK_SHIFT) < 0;
    return shiftF10 || (message == WM_KEYDOWN && key == VK_APPS);
}

LRESULT forgetCellList(HWND list, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(savedListProc, list, WM_NCDESTROY, wParam, lParam);
    forgetBoxesOf(list);
    return result;
}

} // namespace

RECT cellRowArea(HWND list) {
    RECT area;
    GetClientRect(list, &area);
    const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT headerRect;
    if (header != nullptr && IsWindowVisible(header) && GetWindowRect(header, &headerRect)) {
        MapWindowPoints(HWND_DESKTOP, list, reinterpret_cast<POINT*>(&headerRect), 2);
        area.top = std::max(area.top, headerRect.bottom);
    }
    return area;
}

void enableCellList(HWND list) {
    const auto extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 extended | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    // The original procedure is never put back: a list stays prepared until
    // it is destroyed.
    savedListProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(list, GWLP_WNDPROC));
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(cellListProc));
}

void drawCellRow(const DRAWITEMSTRUCT& item) {
    const HWND list = item.hwndItem;
    listOfLastRow = list;
    SaveDC(item.hDC);
    SetBkMode(item.hDC, OPAQUE);
    const HBRUSH brush = chooseRowColours(item);
    const RECT focus = focusRect(list, static_cast<int>(item.itemID));
    const int columns = columnCount(list);
    const int dpi = GetDeviceCaps(item.hDC, LOGPIXELSX);
    const RECT rowArea = cellRowArea(list);
    for (int column = 0; column < columns; ++column)
        drawCell(item, column, brush, dpi, rowArea);
    if ((item.itemState & ODS_FOCUS) != 0)
        DrawFocusRect(item.hDC, &focus);
    DeleteObject(brush);
    RestoreDC(item.hDC, -1);
}

namespace {

CellListFilter cellListFilter = nullptr;

// The rows' paint places their boxes; the spares it left are hidden after
// it, once it has drawn rows.
LRESULT paintCellList(HWND list, WPARAM wParam, LPARAM lParam) {
    keepBoxesWithTheirRows(list);
    listOfLastRow = nullptr;
    const LRESULT result = CallWindowProcA(savedListProc, list, WM_PAINT, wParam, lParam);
    if (listOfLastRow == list || SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0)
        hideSpareBoxes(list);
    return result;
}

LRESULT handleCellListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (onCheckBoxCommand(list, wParam, lParam))
            return 0;
        break;
    case WM_GETDLGCODE: return dialogCode(list, wParam, lParam);
    case WM_LBUTTONDOWN: takeFocusBeforeClick(list); break;
    case WM_RBUTTONDOWN: selectForMenu(list, lParam); return 0;
    case WM_RBUTTONUP: askForMenuAtPointer(list, lParam); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!isMenuKey(message, wParam))
            break;
        askForMenu(list, -1);
        return 0;
    case WM_PAINT: return paintCellList(list, wParam, lParam);
    case WM_NCDESTROY: return forgetCellList(list, wParam, lParam);
    }
    return CallWindowProcA(savedListProc, list, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK cellListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (cellListFilter != nullptr)
        return cellListFilter(list, message, wParam, lParam, handleCellListMessage);
    return handleCellListMessage(list, message, wParam, lParam);
}

void filterCellLists(CellListFilter filter) {
    cellListFilter = filter;
}

void insertCellColumn(HWND list, int index, int width, const char* title) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = onScreen(width, screenDpi());
    // The list copies the title; it never writes through the pointer.
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void setCell(HWND list, int row, int column, const std::string& text, bool withCheckBox) {
    addMissingRows(list, row);
    setCellText(list, row, column, text);
    // A cell set again gets a fresh box rather than a second one; its window
    // is made when its row is painted in view.
    removeCheckBox(list, row, column);
    if (withCheckBox)
        cellCheckBoxes[list][row][column] = CellCheck{};
}

namespace {

// Rows go straight to the list view's own procedure, past the cell list's
// and the system's dispatch, which have nothing to do with them: a long
// list takes five a row.
LRESULT tellListView(HWND list, UINT message, WPARAM wParam, const LVITEMA& item) {
    return CallWindowProcA(savedListProc, list, message, wParam, reinterpret_cast<LPARAM>(&item));
}

} // namespace

// A row inserted past the end goes last, and the list answers where it put
// it: no message to count the rows first.
int addCellRow(HWND list, std::initializer_list<NewCell> cells) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = std::numeric_limits<int>::max();
    for (const NewCell& cell : cells) {
        // The list copies the text; it never writes through the pointer.
        item.pszText = const_cast<char*>(cell.text.c_str());
        if (item.iSubItem == 0) {
            item.iItem = static_cast<int>(tellListView(list, LVM_INSERTITEMA, 0, item));
            if (item.iItem < 0)
                return item.iItem;
        } else
            tellListView(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(item.iItem), item);
        if (cell.withCheckBox)
            cellCheckBoxes[list][item.iItem][item.iSubItem] = CellCheck{};
        ++item.iSubItem;
    }
    return item.iItem;
}

namespace {

// Every row deleted, each box's window destroyed or kept hidden for the
// rows to come.
void deleteRows(HWND list, void (*endBox)(HWND list, CellCheck& cell)) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    auto& rows = cellCheckBoxes[list];
    for (auto& [row, columns] : rows)
        for (auto& [column, cell] : columns)
            endBox(list, cell);
    rows.clear();
}

} // namespace

void clearCells(HWND list) {
    deleteRows(list, [](HWND, CellCheck& cell) { destroyBox(cell); });
    destroySpareBoxes(list);
}

void emptyCells(HWND list) {
    deleteRows(list, setBoxAside);
}

int getCellCheck(HWND list, int row, int column) {
    const CellCheck* cell = cellCheck(list, row, column);
    return cell == nullptr ? BST_UNCHECKED : cell->state;
}

void setCellCheck(HWND list, int row, int column, int state) {
    if (CellCheck* cell = cellCheck(list, row, column))
        setCheckState(*cell, state);
}
