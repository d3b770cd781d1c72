#pragma once

// The sheet form: the modeless dialog "MAINDLG" that shows the whole record
// and writes every change of a control straight into it.

#include "editor/SheetFormState.h"
#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <string>

// Creates the form as a child of `parent`, bound to `sheet`; the form sets
// itself up completely inside this call. It is not shown yet.
HWND createSheetForm(HINSTANCE instance, HWND parent, CharacterSheet& sheet);

INT_PTR CALLBACK sheetFormProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam);

// Shows every member of the record in its control; the record is unchanged.
void refreshSheetForm();
// Shows one member as the record holds it, and gives the focus to the
// control where it differs from `other`: the box, the choice, the tick, or
// the list with the differing rows selected.
void showChangedMember(SheetMember member, const MemberValue& other);

// Shows the picture at `path` as the portrait, as if the user had chosen it
// in the portrait's open dialog.
void showPortraitFile(const std::string& path);

// Puts a new doll's sheet in place of the one shown: the record as
// constructed with the standard defaults, every control as the form started.
void showNewSheet();
