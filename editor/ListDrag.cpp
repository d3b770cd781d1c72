#include "editor/ListDrag.h"

#include "editor/CellList.h"
#include "editor/ListEntries.h"
#include "editor/SheetFormState.h"
#include "editor/SheetLists.h"
#include "sheet/EntryEdit.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR scrollTimer = 0x7D01;
constexpr UINT scrollEveryMs = 60;
constexpr int markThickness = 2;

// One drag at a time: there is one mouse.
struct RowDrag {
    HWND source = nullptr;
    POINT pressed{}; // in the source's client area
    int pressedRow = -1;
    bool dragging = false;
    std::vector<int> rows;
    HWND target = nullptr; // the list under the pointer; none outside the lists
    int place = 0;         // the target's row the rows would land before
    POINT pointer{};       // on the screen
};
RowDrag drag;

std::array<HWND, 5> sheetLists() {
    return {sheetForm.skillList, sheetForm.headList, sheetForm.armList, sheetForm.torsoList,
            sheetForm.legList};
}

// What the history calls the drop.
std::string stepName(HWND source, HWND target, bool copy) {
    if (copy)
        return listWord(target) + "のコピー";
    return source == target ? listWord(source) + "の移動" : "パーツの移動";
}

RECT rowBounds(HWND list, int row) {
    RECT rect{};
    ListView_GetItemRect(list, row, &rect, LVIR_BOUNDS);
    return rect;
}

int rowHeight(HWND list) {
    const RECT first = rowBounds(list, ListView_GetTopIndex(list));
    return std::max(1, static_cast<int>(first.bottom - first.top));
}

// Before which row the rows land with the pointer at `at` (client
// coordinates): halves of a row go before and after it.
int placeAt(HWND list, POINT at) {
    const int count = ListView_GetItemCount(list);
    if (count == 0)
        return 0;
    const int top = ListView_GetTopIndex(list);
    const int height = rowHeight(list);
    const int offset = static_cast<int>(at.y - rowBounds(list, top).top) + height / 2;
    const int rows = offset >= 0 ? offset / height : -1;
    return std::clamp(top + rows, top, count);
}

int markY(HWND list, int place) {
    const int count = ListView_GetItemCount(list);
    if (count == 0)
        return cellRowArea(list).top;
    return place < count ? rowBounds(list, place).top : rowBounds(list, count - 1).bottom;
}

RECT markStrip(HWND list, int place) {
    RECT strip;
    GetClientRect(list, &strip);
    const int y = markY(list, place);
    strip.top = y - markThickness;
    strip.bottom = y + markThickness;
    return strip;
}

// The mark is drawn over the rows after each paint of its list, so that
// the owner-drawn rows never paint over it.
void drawMark(HWND list) {
    if (!drag.dragging || list != drag.target)
        return;
    RECT mark = markStrip(list, drag.place);
    const RECT area = cellRowArea(list);
    mark.top = std::max(mark.top + markThickness / 2, area.top);
    mark.bottom = std::min(mark.top + markThickness, area.bottom);
    if (mark.top >= mark.bottom)
        return;
    const HDC dc = GetDC(list);
    FillRect(dc, &mark, GetSysColorBrush(COLOR_WINDOWTEXT));
    ReleaseDC(list, dc);
}

void repaintStrip(HWND list, int place) {
    const RECT strip = markStrip(list, place);
    InvalidateRect(list, &strip, FALSE);
    UpdateWindow(list);
}

void moveMark(HWND target, int place) {
    const HWND before = drag.target;
    const int placeBefore = drag.place;
    drag.target = target;
    drag.place = place;
    if (before != nullptr)
        repaintStrip(before, placeBefore);
    if (target != nullptr)
        repaintStrip(target, place);
}

// The list under a point of the screen; none outside the lists.
HWND listAt(POINT onScreen) {
    for (HWND list : sheetLists()) {
        RECT bounds;
        if (list != nullptr && IsWindowVisible(list) && GetWindowRect(list, &bounds) &&
            PtInRect(&bounds, onScreen))
            return list;
    }
    return nullptr;
}

// Near the top or bottom edge of the rows, the list scrolls towards it.
int scrollDirection(HWND list, POINT at) {
    const RECT area = cellRowArea(list);
    const int zone = rowHeight(list);
    if (at.y < area.top + zone)
        return -1;
    return at.y >= area.bottom - zone ? +1 : 0;
}

void followPointer(POINT onScreen) {
    drag.pointer = onScreen;
    const HWND target = listAt(onScreen);
    POINT at = onScreen;
    if (target != nullptr)
        ScreenToClient(target, &at);
    const int place = target != nullptr ? placeAt(target, at) : 0;
    if (target != drag.target || place != drag.place)
        moveMark(target, place);
    if (drag.target != nullptr && scrollDirection(drag.target, at) != 0)
        SetTimer(drag.target, scrollTimer, scrollEveryMs, nullptr);
}

void scrollTowardsPointer(HWND list) {
    POINT at = drag.pointer;
    ScreenToClient(list, &at);
    const int direction = drag.dragging && list == drag.target ? scrollDirection(list, at) : 0;
    if (direction == 0) {
        KillTimer(list, scrollTimer);
        return;
    }
    moveMark(nullptr, 0);
    ListView_Scroll(list, 0, direction * rowHeight(list));
    UpdateWindow(list);
    followPointer(drag.pointer);
}

void notePress(HWND list, LPARAM at) {
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    drag = RowDrag{};
    drag.pressedRow = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    drag.source = drag.pressedRow >= 0 ? list : nullptr;
    drag.pressed = hit.pt;
}

bool movedFarEnough(LPARAM at) {
    return std::abs(GET_X_LPARAM(at) - drag.pressed.x) > GetSystemMetrics(SM_CXDRAG) ||
           std::abs(GET_Y_LPARAM(at) - drag.pressed.y) > GetSystemMetrics(SM_CYDRAG);
}

void startDrag(HWND list) {
    if (ListView_GetItemState(list, drag.pressedRow, LVIS_SELECTED) == 0)
        ListView_SetItemState(list, drag.pressedRow, LVIS_SELECTED, LVIS_SELECTED);
    drag.rows = selectedRows(list);
    drag.dragging = true;
    SetCapture(list);
}

// Answers whether the move belongs to a drag, which the list itself must
// not take for the start of a selection of its own.
bool onMouseMove(HWND list, WPARAM keys, LPARAM at) {
    if (list != drag.source || (keys & MK_LBUTTON) == 0) {
        drag.source = drag.dragging ? drag.source : nullptr;
        return drag.dragging;
    }
    if (!drag.dragging && !movedFarEnough(at))
        return false;
    if (!drag.dragging)
        startDrag(list);
    POINT onScreen = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ClientToScreen(list, &onScreen);
    followPointer(onScreen);
    return true;
}

// The drag is over: the mark and the timer go, the capture is let go. The
// mark's strip is painted with the rest of the list, after what a drop
// changes there.
RowDrag endDrag() {
    const RowDrag ended = drag;
    drag = RowDrag{};
    if (ended.target != nullptr) {
        const RECT strip = markStrip(ended.target, ended.place);
        InvalidateRect(ended.target, &strip, FALSE);
    }
    for (HWND list : sheetLists())
        if (list != nullptr)
            KillTimer(list, scrollTimer);
    if (GetCapture() == ended.source)
        ReleaseCapture();
    return ended;
}

void placeInOwnList(const RowDrag& dropped, bool copy) {
    withEntriesOf(dropped.source, [&](const auto& entries) {
        auto edit = placeEntries(entries.get(), dropped.rows, dropped.place, copy);
        entries.set(std::move(edit.entries));
        refreshSelecting(dropped.source, edit.selected);
    });
}

void carryToList(const RowDrag& dropped, bool copy) {
    withEntriesOf(dropped.source, [&](const auto& from) {
        withEntriesOf(dropped.target, [&](const auto& to) {
            auto carry = carryEntries(from.get(), dropped.rows, to.get(), dropped.place, copy);
            if (!copy) {
                from.set(std::move(carry.source));
                refreshList(dropped.source);
            }
            to.set(std::move(carry.target.entries));
            refreshSelecting(dropped.target, carry.target.selected);
        });
    });
}

void drop(bool copy) {
    const RowDrag dropped = endDrag();
    if (dropped.target == nullptr || dropped.rows.empty())
        return;
    {
        const NamedStep step(stepName(dropped.source, dropped.target, copy));
        if (dropped.target == dropped.source)
            placeInOwnList(dropped, copy);
        else
            carryToList(dropped, copy);
    }
    // The selection is made first, so that the focus does not select a row.
    SetFocus(dropped.target);
}

LRESULT rowDragFilter(HWND list, UINT message, WPARAM wParam, LPARAM lParam, CellListHandling handle) {
    if (!isSheetList(list))
        return handle(list, message, wParam, lParam);
    switch (message) {
    case WM_LBUTTONDOWN: notePress(list, lParam); break;
    case WM_MOUSEMOVE:
        if (onMouseMove(list, wParam, lParam))
            return 0;
        break;
    case WM_LBUTTONUP:
        if (!drag.dragging)
            break;
        drop((wParam & MK_CONTROL) != 0);
        return 0;
    case WM_KEYDOWN:
        if (!drag.dragging || wParam != VK_ESCAPE)
            break;
        endDrag();
        return 0;
    // While a drag lasts, Esc is the list's and not the dialog's.
    case WM_GETDLGCODE:
        if (drag.dragging)
            return DLGC_WANTALLKEYS;
        break;
    case WM_CAPTURECHANGED:
        if (drag.dragging && reinterpret_cast<HWND>(lParam) != list)
            endDrag();
        break;
    case WM_TIMER:
        if (wParam != scrollTimer)
            break;
        scrollTowardsPointer(list);
        return 0;
    case WM_PAINT: {
        const LRESULT painted = handle(list, message, wParam, lParam);
        drawMark(list);
        return painted;
    }
    }
    return handle(list, message, wParam, lParam);
}

} // namespace

void enableRowDragging() {
    filterCellLists(rowDragFilter);
}
