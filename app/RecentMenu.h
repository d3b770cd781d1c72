#pragma once

// The recent sheets in the File menu, kept for the user in
// %APPDATA%\Velmora\recent.txt. Every window of the program reads the file
// when its menu opens and changes it under a lock, so that two windows open
// at once both keep their sheets in it.

#include <windows.h>

#include <string>

// Where the user's settings are kept across starts: %APPDATA%\Velmora, which
// may not exist yet; empty without a profile.
std::wstring settingsFolder();

// The sheet at the code page 932 path `path` was opened or saved.
void rememberRecentSheet(const std::string& path);
// The sheet could not be opened from the list: it leaves it.
void forgetRecentSheet(const std::string& path);

// WM_INITMENUPOPUP of the File menu: lists the sheets above the separator
// before "終了", in their own group.
void listRecentSheets(HMENU fileMenu);
// The full path of the recent sheet's menu item `command` as last listed;
// empty when there is none.
std::string recentSheetPath(int command);
