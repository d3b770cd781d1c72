#pragma once

// The sheet form: the modeless dialog "MAINDLG" that shows the whole record
// and writes every change of a control straight into it.

#include "sheet/CharacterSheet.h"
#include "sheet/SheetHistory.h"

#include <windows.h>

#include <string>

// What the form's parts share while the form lives.
struct SheetFormState {
    HINSTANCE instance = nullptr;
    HWND form = nullptr;
    CharacterSheet* sheet = nullptr;
    HWND skillList = nullptr;
    HWND headList = nullptr;
    HWND armList = nullptr;
    HWND torsoList = nullptr;
    HWND legList = nullptr;
    HWND positionCombo = nullptr;
    HWND mainClassCombo = nullptr;
    HWND subClassCombo = nullptr;
    HWND portraitFrame = nullptr;
    // Asks the user for a portrait file; empty when cancelled. The main
    // window provides it; without it a double click only removes.
    std::string (*choosePortraitFile)() = nullptr;
    // Tells the user in a line of the main window what a command could not
    // do; without it nothing is said.
    void (*tellUser)(const std::string& text) = nullptr;
    // Hears which box the user types into and when the focus leaves it, so
    // that the typing in one box is one step; none in a form without one.
    SheetHistory* history = nullptr;
};
extern SheetFormState sheetForm;

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
