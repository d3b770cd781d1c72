#pragma once

// Sheets that come from outside the program: named on its command line,
// dropped on its window, or handed to a window of their own. Explorer hands
// over paths in Unicode; the program holds them in code page 932.

#include "dolls/DollListOwner.h"
#include "sheet/WindowsText.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The folder whose Database folder holds the position and class lists: the
// working folder when it has one (an empty text), else the program's own
// (a path ending in a separator).
std::string referenceFolder();

// The paths named on the command line after the program, each made full
// from the working folder.
std::vector<std::wstring> commandLinePaths();
// The recovery copy named by the program's one switch, "/recover:NAME",
// with which a window starts the program for a copy; none without it.
std::optional<std::wstring> recoveryCopyArgument();

// The paths of `paths` that no other window of the program holds; each one
// held has come forward in its window.
std::vector<std::wstring> sheetsHeldNowhere(const std::vector<std::wstring>& paths);

// Opens the first of `paths` in place of the sheet shown (after the
// question about unsaved edits) and each other in a window of its own.
void openSheets(HWND window, const std::vector<std::wstring>& paths);

// Opens the sheet at `path` in place of the one shown, as one named on the
// command line opens: unless another window holds it (and comes forward),
// after the question about unsaved edits; a path that code page 932 cannot
// hold is refused with a message.
void openSheetHere(HWND window, const std::wstring& path);

// WM_DROPFILES: the sheets dropped open as `openSheets` opens them, a
// picture becomes the portrait; anything else is refused. Frees the drop.
void openDroppedFiles(HWND window, HDROP drop);

// Starts the program once more with `sheetPath`; tests put their own in its
// place.
extern bool (*openInOwnWindow)(const std::wstring& sheetPath);

// The doll list's way to the window: its sheets open here or in a window of
// their own, and what it tells shows in this window's status bar.
std::unique_ptr<DollListOwner> dollListOwnerFor(HWND window);
