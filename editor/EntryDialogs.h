#pragma once

// The modal dialogs that add, change and delete one entry of the skill list
// ("SKILLDLG") or of a part list ("PARTSDLG"). With no row selected in the
// list, OK appends; with one selected, OK replaces the lowest selected row,
// or deletes it when the name box is empty. Each answers IDOK or IDCANCEL.

#include "sheet/CharacterSheet.h"

#include <windows.h>

INT_PTR openSkillDialog();
INT_PTR openPartsDialog(BodyLocation location);

INT_PTR CALLBACK skillDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK partsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
