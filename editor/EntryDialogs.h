#pragma once

// The modal dialogs that add, change and delete one entry of the skill list
// ("SKILLDLG") or of a part list ("PARTSDLG"). With no row selected in the
// list, OK appends; with one selected, OK replaces the lowest selected row,
// or deletes it when the name box is empty. Opened to add, OK puts a new
// entry after the rows given. Each answers IDOK or IDCANCEL.

#include "sheet/CharacterSheet.h"
#include "sheet/EntryEdit.h"

#include <windows.h>

#include <optional>
#include <vector>

// What one opening of "SKILLDLG" edits: the sheet's skills, shown in `list`,
// whose selection names the row.
struct SkillDialog {
    CharacterSheet& sheet;
    HWND list;
    // Opened to add: the new entry goes right after the last of these rows,
    // at the end when there are none, and the dialog starts empty.
    std::optional<std::vector<int>> addAfter;
    int editedRow = noRow;
    std::vector<int> rowsToSelect; // once the list is rebuilt after OK
};

// What one opening of "PARTSDLG" edits: the parts of one body location.
struct PartDialog {
    CharacterSheet& sheet;
    HWND list;
    BodyLocation location;
    std::optional<std::vector<int>> addAfter;
    int editedRow = noRow;
    std::vector<int> rowsToSelect;
};

INT_PTR openSkillDialog(HWND owner, SkillDialog& dialog);
INT_PTR openPartsDialog(HWND owner, PartDialog& dialog);
