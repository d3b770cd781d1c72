#pragma once

// The skill list and the four part lists of the sheet form.

#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <string>

// Adds the five columns name, timing, cost, range, effect.
void addListColumns(HWND list);

// Rebuild a list from the record.
void refreshSkillList();
void refreshPartList(const std::string& locationText);

// The location text ("頭", "腕", "胴", "脚") that names a part list.
std::string locationText(BodyLocation location);

// The lists' notifications to the sheet form: focus, activation (double
// click or Enter opens the entry dialog) and ticks in the name cells.
void onListNotify(const NMHDR& header);
