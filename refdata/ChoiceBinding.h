#pragma once

// The position and class drop-down boxes of the sheet form, filled from the
// reference tables.

#include <windows.h>

#include <string>

void fillPositionCombo();
void fillClassCombos();

// The selected item's text, or the box's own text when nothing is selected.
std::string readComboText(HWND combo);

// Selects the first item that begins with `name`, ignoring case; with no
// such item the box keeps what it showed. Nothing is written to the sheet.
void reselectChoice(HWND combo, const std::string& name);
