#pragma once

// The modal dialogs that add, change and delete one entry of the skill list
// ("SKILLDLG") or of a part list ("PARTSDLG"). With no row selected in the
// list, OK appends; with one selected, OK replaces the lowest selected row,
// or deletes it when the name box is empty. Each answers IDOK or IDCANCEL.

#include "sheet/CharacterSheet.h"
#include "sheet/EntryEdit.h"

#include <windows.h>

// What one opening of "SKILLDLG" edits: the sheet's skills, shown in `list`,
// whose selection names the row.
struct SkillDialog {
    CharacterSheet& sheet;
    HWND list;
    int editedRow = noRow;
};

// What one opening of "PARTSDLG" edits: the parts of one body location.
struct PartDialog {
    CharacterSheet& sheet;
    HWND list;
    BodyLocation location;
    int editedRow = noRow;
};

INT_PTR openSkillDialog(HWND owner, SkillDialog dialog);
INT_PTR openPartsDialog(HWND owner, PartDialog dialog);
