#pragma once

// The check boxes in a cell list's cells: the state of each, and the
// BUTTON windows that show those in view, placed by the list's paint and
// ticked through its messages. Others read and set the states through
// CellList.h.

#include <windows.h>

#include <map>

inline constexpr UINT cellCheckToggled = 1001;

// A cell's check box: its state lives here, and its BUTTON window exists
// only while the cell's row is in view, so that a list of thousands of rows
// holds no more windows than it shows.
struct CellCheck {
    int state = BST_UNCHECKED;
    HWND box = nullptr;
};

// list view -> row -> column -> check box in that cell
using CellCheckBoxes = std::map<HWND, std::map<int, std::map<int, CellCheck>>>;
extern CellCheckBoxes cellCheckBoxes;

// Looks the cell up without adding entries, so painting and reading leave
// the registry as the fillers made it.
CellCheck* cellCheck(HWND list, int row, int column);
void setCheckState(CellCheck& cell, int state);
void destroyBox(CellCheck& cell);
// A box whose cell left the list or the view, kept for the next cell that
// comes into view.
void setBoxAside(HWND list, CellCheck& cell);
// The boxes set aside that no row took back.
void hideSpareBoxes(HWND list);
// A click on a box ticks or clears it; answers whether the command was one.
bool onCheckBoxCommand(HWND list, WPARAM wParam, LPARAM lParam);
// A cell's `part` (LVIR_BOUNDS, LVIR_LABEL) in the list.
RECT subItemRect(HWND list, int row, int column, int part);
// Shows the cell's box, if it has one, at the left of `textRect` and takes
// its width from it; a box is shown only inside `rowArea`, the rows' part of
// the list.
void placeCheckBox(HWND list, int row, int column, RECT& textRect, int boxSize, const RECT& rowArea);
void keepBoxesWithTheirRows(HWND list);
void removeCheckBox(HWND list, int row, int column);
void forgetBoxesOf(HWND list);
void destroySpareBoxes(HWND list);
