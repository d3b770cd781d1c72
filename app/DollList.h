#pragma once

// The doll list "DOLLLISTDLG": every sheet of a folder and its subfolders,
// with its portrait, searched, sorted, opened, copied, moved to the Recycle
// Bin and printed from one window beside the main window that owns it. It
// follows the folder while it is open, and keeps its folder, place and
// order across starts.

#include <windows.h>

#include <cstddef>

// Ctrl+L: opens the doll list of `mainWindow`, or brings it forward.
void showDollList(HWND mainWindow);
// The doll list of `mainWindow`; null while none is open.
HWND dollListOf(HWND mainWindow);

// Hands a message meant for a doll list to its dialog manager, which moves
// the focus on Tab and turns Enter and Esc into its buttons; answers
// whether the message was one.
bool deliverToDollList(MSG& message);

// What the list holds in memory as thumbnails, in bytes.
std::size_t dollThumbnailBytes(HWND dollList);
