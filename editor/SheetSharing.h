#pragma once

// The sheet taken out of the program for the table: its texts on the
// clipboard, and its printable page opened in the user's browser.

#include <windows.h>

#include <string>
#include <string_view>

// Puts a UTF-8 text on the clipboard as Unicode text, whatever the system's
// code page; false when the clipboard could not be had.
bool copyToClipboard(HWND owner, std::string_view utf8);

// Where the printable page of the sheet last saved or opened at `sheetPath`
// (code page 932; empty for a sheet never saved) is written: a folder of
// the program's own in the user's temporary folder, named as the sheet.
std::wstring printablePagePath(const std::string& sheetPath);

// Writes `bytes` to `path`, replacing any file there; false when it cannot.
bool writePage(const std::wstring& path, std::string_view bytes);

// Writes the page to `path` and opens it in the browser; answers what the
// user is told: a page that was written but could not be opened is still
// there to open by hand, and the message says where.
std::string openPrintablePage(const std::wstring& path, std::string_view page);

// Opens a file with the user's default program for it; tests put their own
// in its place.
extern bool (*openInBrowser)(const std::wstring& path);
