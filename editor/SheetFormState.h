#pragma once

// The handles and hooks that the sheet form's parts (its lists, their
// commands, the entry dialogs) share while the form lives; the form fills
// them in as it starts.

#include "refdata/Catalogue.h"
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
    // The text box that has the focus, as its notifications tell; 0 when
    // none has. Asking the window manager costs as much as moving it.
    int focusedBox = 0;
};
extern SheetFormState sheetForm;

// The doll's position and classes as the catalogues match headings with them.
inline DollChoices dollChoices() {
    const CharacterSheet* sheet = sheetForm.sheet;
    return sheet == nullptr
               ? DollChoices()
               : dollChoicesOf({sheet->getPosition(), sheet->getMainClass(), sheet->getSubClass()});
}

// The changes made while it lives are one step of the history, named as the
// Edit menu shows it ("頭のパーツの移動").
class NamedStep {
public:
    explicit NamedStep(std::string name) {
        if (sheetForm.history != nullptr)
            sheetForm.history->beginStep(std::move(name));
    }
    ~NamedStep() {
        if (sheetForm.history != nullptr)
            sheetForm.history->endStep();
    }
    NamedStep(const NamedStep&) = delete;
    NamedStep& operator=(const NamedStep&) = delete;
};
