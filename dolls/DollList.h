#pragma once

// The doll list "DOLLLISTDLG": every sheet of a folder and its subfolders,
// with its portrait, searched, sorted, opened, copied, moved to the Recycle
// Bin and printed from one window beside the main window that owns it. It
// follows the folder while it is open, and keeps its folder, place and
// order across starts.

#include "dolls/DollListOwner.h"

#include <windows.h>

#include <cstddef>
#include <memory>

// Ctrl+L: opens the doll list of `ownerWindow`, which `owner` speaks for
// while the list is open, or brings it forward.
void showDollList(HWND ownerWindow, std::unique_ptr<DollListOwner> owner);
// The doll list of `ownerWindow`; null while none is open.
HWND dollListOf(HWND ownerWindow);

// Hands a message meant for a doll list to its dialog manager, which moves
// the focus on Tab and turns Enter and Esc into its buttons; answers
// whether the message was one.
bool deliverToDollList(MSG& message);

// What the list holds in memory as thumbnails, in bytes.
std::size_t dollThumbnailBytes(HWND dollList);
