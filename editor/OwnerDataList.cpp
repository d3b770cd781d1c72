#include "editor/OwnerDataList.h"

#include "sheet/EntryEdit.h"

#include <commctrl.h>

void addListColumn(HWND dialog, HWND list, const char* title, int widthInDialogUnits) {
    RECT width = {0, 0, widthInDialogUnits, 0};
    MapDialogRect(dialog, &width);
    LVCOLUMNA format{};
    format.mask = LVCF_TEXT | LVCF_WIDTH;
    format.pszText = const_cast<char*>(title);
    format.cx = width.right;
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    ListView_InsertColumn(list, columns, &format);
}

std::vector<int> selectedRows(HWND list) {
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

namespace {

// Clearing the selection row by row keeps it to the rows selected, where
// clearing every row at once asks each of thousands.
void clearSelection(HWND list) {
    for (int row : selectedRows(list))
        ListView_SetItemState(list, row, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

} // namespace

void showRows(HWND list, std::size_t count, bool selectFirst) {
    clearSelection(list);
    // Repainting the rows without the list's own scrolling keeps it to the
    // rows that show.
    ListView_SetItemCountEx(list, static_cast<int>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, TRUE);
    if (selectFirst && count > 0)
        markSelection(list, {0});
}

void markSelection(HWND list, const std::vector<int>& rows) {
    const std::vector<bool> wanted = markedRows(rows, static_cast<std::size_t>(ListView_GetItemCount(list)));
    for (int row : selectedRows(list))
        if (!wanted[static_cast<std::size_t>(row)])
            ListView_SetItemState(list, row, 0, LVIS_SELECTED);
    const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    if (focused >= 0 && (rows.empty() || focused != rows.back()))
        ListView_SetItemState(list, focused, 0, LVIS_FOCUSED);
    if (rows.empty())
        return;
    for (int row : rows)
        if (ListView_GetItemState(list, row, LVIS_SELECTED) == 0)
            ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list, rows.back(), LVIS_FOCUSED, LVIS_FOCUSED);
    if (rows.back() - rows.front() < ListView_GetCountPerPage(list))
        ListView_EnsureVisible(list, rows.back(), FALSE);
    ListView_EnsureVisible(list, rows.front(), FALSE);
}

POINT keyboardMenuPlace(HWND list) {
    RECT place{};
    int row = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    if (row < 0)
        row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (row < 0 || !ListView_GetItemRect(list, row, &place, LVIR_LABEL))
        GetClientRect(list, &place);
    POINT at = {place.left, row < 0 ? place.top : place.bottom};
    ClientToScreen(list, &at);
    return at;
}
