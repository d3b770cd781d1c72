#pragma once

// The Edit menu's commands, the lists' context menu and their keys. On one
// of the sheet's five lists they add, delete, move, copy, cut and paste its
// selected entries; in a text box cut, copy, paste and delete act on the
// box's text, as the box's own keys do.

#include <windows.h>

// Whether `id` is one of these commands.
bool isEditCommand(int id);
// Carries the command out on the control with the keyboard focus; nothing
// happens where it cannot act.
void runEditCommand(int id);
// Whether the command can act on the control with the keyboard focus: the
// menus grey the items that cannot.
bool canRunEditCommand(int id);
// Whether the control with the keyboard focus takes the command's key itself
// (a text box keeps Del and Ctrl+C, say) rather than as the command.
bool focusKeepsKeyOf(int id);
// Greys the items of an Edit menu or context menu that cannot act.
void greyEditItems(HMENU menu);

// WM_CONTEXTMENU from a list, as its parent hears it: the list's own menu at
// the mouse, or under its focused row when the keyboard asked for it (`at`
// -1). Nothing for any other window.
void showListMenu(HWND list, LPARAM at);
