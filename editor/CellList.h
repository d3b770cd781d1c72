#pragma once

// Report-view list controls whose rows the program paints (grid lines,
// full-row selection) and whose cells can carry a check box at their left
// edge, 12 x 12 pixels at 96 dots an inch and scaled with the screen. A
// click on such a box toggles it and sends the list's parent a WM_NOTIFY
// with code cellCheckToggled; the parent reads the states back with
// getCellCheck. A right-click selects as Explorer does and, like Shift+F10
// and the menu key, sends the parent WM_CONTEXTMENU with the list's handle.
// Nothing here knows what the lists show.

#include "editor/CellCheckBoxes.h"

#include <windows.h>

#include <initializer_list>
#include <string>

// Prepares a list view created with LVS_REPORT | LVS_OWNERDRAWFIXED: call
// once, before any other operation on it.
void enableCellList(HWND list);
// Paints one row and places its check boxes, creating the windows of those
// that come into view; the parent hands every WM_DRAWITEM of its lists here.
void drawCellRow(const DRAWITEMSTRUCT& item);
LRESULT CALLBACK cellListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// What a prepared list does with a message: its own handling.
using CellListHandling = LRESULT (*)(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
// Sees every message of every prepared list first and hands on to `handle`
// what it leaves to the list. One filter serves all the lists, as one
// procedure does: a per-window subclass would look itself up on each of the
// thousands of messages that fill a long list.
using CellListFilter = LRESULT (*)(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                   CellListHandling handle);
void filterCellLists(CellListFilter filter);

// `width` is in pixels at 96 dots an inch; the column gets as many more as
// the screen has dots an inch.
void insertCellColumn(HWND list, int index, int width, const char* title);
// Creates missing rows up to `row`, sets the cell's text and gives the cell
// a clear check box, or takes its box away.
void setCell(HWND list, int row, int column, const std::string& text, bool withCheckBox);
// A cell of a row added at once: its text, and whether it has a clear
// check box.
struct NewCell {
    const std::string& text;
    bool withCheckBox;
};
// Adds a row after the last with `cells` from column 0 on, as setCell would
// for each; answers the row. Filling a long list, one message a cell is
// what the list itself needs.
int addCellRow(HWND list, std::initializer_list<NewCell> cells);
// The part of the list where rows are shown: the client area below the
// header.
RECT cellRowArea(HWND list);
// Deletes every row and its check boxes.
void clearCells(HWND list);
// Deletes every row, as clearCells does, for a list about to be filled
// again: the boxes' windows wait for the rows that will show, and those the
// next paint leaves over are hidden.
void emptyCells(HWND list);
// 1 ticked, 0 clear or no check box in the cell.
int getCellCheck(HWND list, int row, int column);
void setCellCheck(HWND list, int row, int column, int state);
