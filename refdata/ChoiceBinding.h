#pragma once

// The position and class drop-down boxes of the sheet form, filled from the
// reference tables. The form hands over its boxes and the tables.

#include "refdata/ReferenceData.h"

#include <windows.h>

#include <string>
#include <vector>

void fillPositionCombo(HWND positionCombo, const std::vector<PositionData>& table);
// The main-class and sub-class boxes offer the same list.
void fillClassCombos(HWND mainClassCombo, HWND subClassCombo, const std::vector<ClassData>& table);

// The selected item's text, or the box's own text when nothing is selected.
std::string readComboText(HWND combo);

// Selects the first item that begins with `name`, ignoring case; with no
// such item the box keeps what it showed. Nothing is written to the sheet.
void reselectChoice(HWND combo, const std::string& name);
