#pragma once

// One window a sheet: before a sheet opens, the program's other windows are
// asked whether one of them holds it already, and that one comes forward
// instead. The question crosses processes as WM_COPYDATA, carrying the path
// in UTF-16, which no code page can mangle on the way.

#include <windows.h>

#include <optional>
#include <string>

// Asks every other main window of the program, `asking` left out (none
// before it exists), whether it holds the sheet at `path`; answers whether
// one did and has come forward. A window that does not answer within a
// second is passed over.
bool shownElsewhere(HWND asking, const std::wstring& path);

// WM_COPYDATA to the main window: when the sheet asked about is the one it
// holds at `heldPath` (none: never saved), it comes forward, says so in its
// status bar and answers TRUE.
LRESULT answerWhetherHeld(HWND window, const COPYDATASTRUCT& question, const std::string& heldPath);

// The path a question asks about; none when the data is no such question.
std::optional<std::wstring> askedSheetPath(const COPYDATASTRUCT& question);
// Whether the two paths name one file: another case, a short name, "..", a
// mapped drive or a hard link make no difference. A path naming no file
// matches nothing.
bool isSameFile(const std::wstring& first, const std::wstring& second);
