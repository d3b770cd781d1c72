#pragma once

// What the program's owner-data lists (the catalogue's entries, the doll
// list's dolls) do alike: columns sized in dialog units, the rows shown
// anew after a search with the first one selected, the rows selected, and
// where the keyboard's menu opens.

#include <windows.h>

#include <cstddef>
#include <vector>

// Appends a column `widthInDialogUnits` wide, as the dialog's font measures.
void addListColumn(HWND dialog, HWND list, const char* title, int widthInDialogUnits);

// The list now holds `count` rows, none selected: the list asks for the rows
// it shows, so this costs the same whatever their number. The first row is
// selected and shown when `selectFirst` (and there is one).
void showRows(HWND list, std::size_t count, bool selectFirst);

// The selected rows, top to bottom.
std::vector<int> selectedRows(HWND list);
// Selects exactly `rows` (top to bottom), the last with the item focus, and
// scrolls them into view. Only the rows whose state changes are touched:
// the list's "every row" form walks all the rows, one notification each.
void markSelection(HWND list, const std::vector<int>& rows);

// Under the row with the item focus (the first selected row when none has
// it), or at the list's top left corner: where a menu asked for by the
// keyboard opens.
POINT keyboardMenuPlace(HWND list);
