#pragma once

#include "sheet/CharacterSheet.h"

#include <windows.h>

// A sheet form bound to `sheet`, shown in a host window of its own, as the
// program shows it in its main window. When this ends the windows are gone,
// and so are the cell boxes' entries of their lists.
class ShownSheetForm {
public:
    explicit ShownSheetForm(CharacterSheet& sheet);
    ~ShownSheetForm();
    ShownSheetForm(const ShownSheetForm&) = delete;
    ShownSheetForm& operator=(const ShownSheetForm&) = delete;

    HWND form() const { return formWindow; }

private:
    HWND host;
    HWND formWindow;
};
