// The cells' check boxes: each cell's state, and the BUTTON windows that
// show the cells in view, kept aside and shown again as rows come and go.
#include "editor/CellCheckBoxes.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

CellCheckBoxes cellCheckBoxes;

namespace {

// A box whose cell goes out of view waits hidden with its list for the next
// cell that comes into view: making a button window and destroying it each
// cost Wine's server several round trips, more than hiding it and showing it
// elsewhere. A list holds no more boxes than it once showed at a time.
std::map<HWND, std::vector<HWND>> spareBoxes;

// The state of a plain check box: anything but clear is a tick, as the
// button itself takes it.
int checkState(int state) {
    return state == BST_UNCHECKED ? BST_UNCHECKED : BST_CHECKED;
}

// A box that may not stand even until the paint is over, as one that would
// cover the header, is hidden at once.
void retireBox(HWND list, CellCheck& cell) {
    if (cell.box != nullptr)
        ShowWindow(cell.box, SW_HIDE);
    setBoxAside(list, cell);
}

bool isShown(HWND box) {
    return (GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The notification does not say which box changed: the parent reads back
// every state it cares about.
void notifyCheckToggled(HWND list, WORD boxId) {
    NMHDR header{};
    header.hwndFrom = list;
    header.idFrom = boxId;
    header.code = cellCheckToggled;
    SendMessageA(GetParent(list), WM_NOTIFY, boxId, reinterpret_cast<LPARAM>(&header));
}

// A box's window carries the row and column of its cell, so that a click or
// a paint finds the cell without walking a list of thousands of rows.
struct CellPlace {
    int row;
    int column;
};

void markBox(HWND box, CellPlace place) {
    const std::uint64_t mark =
        std::uint64_t{static_cast<std::uint32_t>(place.row)} << 32 | static_cast<std::uint32_t>(place.column);
    SetWindowLongPtrA(box, GWLP_USERDATA, static_cast<LONG_PTR>(mark));
}

CellPlace placeOfBox(HWND box) {
    const auto mark = static_cast<std::uint64_t>(GetWindowLongPtrA(box, GWLP_USERDATA));
    return {static_cast<int>(static_cast<std::uint32_t>(mark >> 32)),
            static_cast<int>(static_cast<std::uint32_t>(mark))};
}

// The cell whose box `window` is; null for any other window.
CellCheck* cellOfBox(HWND list, HWND window) {
    if (window == nullptr)
        return nullptr;
    const CellPlace place = placeOfBox(window);
    CellCheck* cell = cellCheck(list, place.row, place.column);
    return cell != nullptr && cell->box == window ? cell : nullptr;
}

bool isInside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The box's place in its list.
RECT boxRect(HWND box) {
    RECT rect;
    GetWindowRect(box, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(box), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool standsAt(HWND box, const RECT& at) {
    const RECT stands = boxRect(box);
    return isShown(box) && EqualRect(&at, &stands) != FALSE;
}

// A spare box shown at `at`, or else the last spare moved and shown there;
// null when the list has none.
HWND takeSpareBox(HWND list, const RECT& at) {
    std::vector<HWND>& spares = spareBoxes[list];
    if (spares.empty())
        return nullptr;
    const auto standing =
        std::find_if(spares.begin(), spares.end(), [&](HWND box) { return standsAt(box, at); });
    const bool inPlace = standing != spares.end();
    const auto taken = inPlace ? standing : spares.end() - 1;
    const HWND box = *taken;
    spares.erase(taken);
    if (!inPlace)
        SetWindowPos(box, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return box;
}

// The list owns the box as its child; the registry only refers to it.
// It is made shown where it stands: each move or show of a window is a
// round trip to Wine's server, and the first screen alone makes 24 boxes.
// Setting a clear box clear paints nothing.
void createBox(HWND list, CellCheck& cell, CellPlace place, const RECT& at) {
    cell.box = takeSpareBox(list, at);
    if (cell.box == nullptr) {
        const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list, GWLP_HINSTANCE));
        cell.box = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, at.left, at.top,
                                   at.right - at.left, at.bottom - at.top, list, nullptr, instance, nullptr);
    }
    markBox(cell.box, place);
    SendMessageA(cell.box, BM_SETCHECK, cell.state, 0);
}

} // namespace

// Looks the cell up without adding entries, so painting and reading leave
// the registry as the fillers made it.
CellCheck* cellCheck(HWND list, int row, int column) {
    const auto rows = cellCheckBoxes.find(list);
    if (rows == cellCheckBoxes.end())
        return nullptr;
    const auto columns = rows->second.find(row);
    if (columns == rows->second.end())
        return nullptr;
    const auto cell = columns->second.find(column);
    return cell == columns->second.end() ? nullptr : &cell->second;
}

void setCheckState(CellCheck& cell, int state) {
    cell.state = checkState(state);
    if (cell.box != nullptr)
        SendMessageA(cell.box, BM_SETCHECK, cell.state, 0);
}

void destroyBox(CellCheck& cell) {
    if (cell.box != nullptr)
        DestroyWindow(cell.box);
    cell.box = nullptr;
}

// A list filled again or scrolled mostly puts boxes back where boxes stood,
// its rows keeping their places on the screen, and a box left shown there
// until the paint is taken back without a single move or show. What the
// paint does not take back it hides (hideSpareBoxes).
void setBoxAside(HWND list, CellCheck& cell) {
    if (cell.box == nullptr)
        return;
    spareBoxes[list].push_back(cell.box);
    cell.box = nullptr;
}

void hideSpareBoxes(HWND list) {
    const auto spares = spareBoxes.find(list);
    if (spares == spareBoxes.end())
        return;
    for (HWND box : spares->second)
        if (isShown(box))
            ShowWindow(box, SW_HIDE);
}

// A plain BS_CHECKBOX does not tick itself: its click arrives at the list as
// BN_CLICKED. Any other command is the list's own business.
bool onCheckBoxCommand(HWND list, WPARAM wParam, LPARAM lParam) {
    CellCheck* cell =
        HIWORD(wParam) == BN_CLICKED ? cellOfBox(list, reinterpret_cast<HWND>(lParam)) : nullptr;
    if (cell == nullptr)
        return false;
    setCheckState(*cell, cell->state == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED);
    notifyCheckToggled(list, LOWORD(wParam));
    return true;
}

RECT subItemRect(HWND list, int row, int column, int part) {
    RECT rect{};
    rect.top = column;
    rect.left = part;
    SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// A box is shown only where its whole cell corner is in view, so that no box
// stands over the header or over another row, where a click would tick a row
// the user cannot see. Its window is made when it first comes into view.
void placeCheckBox(HWND list, int row, int column, RECT& textRect, int boxSize, const RECT& rowArea) {
    CellCheck* cell = cellCheck(list, row, column);
    if (cell == nullptr)
        return;
    const RECT place = {textRect.left, textRect.top, textRect.left + boxSize, textRect.top + boxSize};
    if (!isInside(place, rowArea)) {
        retireBox(list, *cell);
    } else if (cell->box == nullptr) {
        createBox(list, *cell, {row, column}, place);
    } else {
        MoveWindow(cell->box, place.left, place.top, boxSize, boxSize, TRUE);
        ShowWindow(cell->box, SW_SHOWNA);
    }
    textRect.left += boxSize;
}

// Boxes are placed only when their row is painted, and scrolling moves the
// rows' pixels without painting them again. Before each paint, the boxes out
// of view are set aside, mostly standing where a row now in view takes them
// back, and if a shown box no longer stands at its cell the whole list is
// painted again to put every box back in place.
void keepBoxesWithTheirRows(HWND list) {
    HWND next = FindWindowExA(list, nullptr, "Button", nullptr);
    if (next == nullptr)
        return;
    const auto top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    // The row after the last whole one may show in part.
    const int last = top + static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    bool displaced = false;
    while (next != nullptr) {
        const HWND box = next;
        next = FindWindowExA(list, box, "Button", nullptr);
        CellCheck* cell = cellOfBox(list, box);
        if (cell == nullptr)
            continue;
        const CellPlace at = placeOfBox(box);
        if (at.row < top || at.row > last) {
            setBoxAside(list, *cell);
            continue;
        }
        const RECT place = subItemRect(list, at.row, at.column, LVIR_LABEL);
        const RECT shown = boxRect(box);
        displaced = displaced || shown.left != place.left || shown.top != place.top;
    }
    if (displaced)
        InvalidateRect(list, nullptr, FALSE);
}

void removeCheckBox(HWND list, int row, int column) {
    CellCheck* cell = cellCheck(list, row, column);
    if (cell == nullptr)
        return;
    destroyBox(*cell);
    // The cell was found, so these entries exist and nothing is added.
    auto& rows = cellCheckBoxes[list];
    rows[row].erase(column);
    if (rows[row].empty())
        rows.erase(row);
}

// The boxes went with their list; so do their entries, so that no later
// window given the same handle is ever taken for this list.
void forgetBoxesOf(HWND list) {
    cellCheckBoxes.erase(list);
    spareBoxes.erase(list);
}

void destroySpareBoxes(HWND list) {
    for (HWND spare : spareBoxes[list])
        DestroyWindow(spare);
    spareBoxes.erase(list);
}
