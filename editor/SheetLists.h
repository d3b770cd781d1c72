#pragma once

// The skill list and the four part lists of the sheet form.

#include "editor/OwnerDataList.h"
#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Adds the five columns name, timing, cost, range, effect.
void addListColumns(HWND list);

// Rebuild a list from the record.
void refreshSkillList();
void refreshPartList(const std::string& locationText);

// The lists' notifications to the sheet form: focus, activation (double
// click or Enter opens the entry dialog) and ticks in the name cells.
// Answers whether the list is to hear TRUE back: a list told so deletes all
// its rows without a notice for each, thousands of them in a long list.
bool onListNotify(const NMHDR& header);

bool isSheetList(HWND window);
// The body location whose parts `list` shows; none for the skill list.
std::optional<BodyLocation> locationOfList(HWND list);
HWND listOfLocation(BodyLocation location);
// What the Edit menu calls the entries of `list`: "スキル", "頭のパーツ".
std::string listWord(HWND list);
// Rebuilds one of the five lists from the record.
void refreshList(HWND list);

// Selects exactly `rows`, the last with the item focus, and scrolls them
// into view.
void selectRows(HWND list, const std::vector<int>& rows);
// Rebuilds the list and selects `rows` as selectRows does, in one go.
void refreshSelecting(HWND list, const std::vector<int>& rows);

// The list's entry dialog, on its first selected row (a new entry at the
// end when none is selected), or for a new entry after the selected rows.
enum class EntryOpening { selectedRow, newAfterSelection };
void openEntryDialog(HWND list, EntryOpening opening);
