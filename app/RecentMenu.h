#pragma once

// The recent sheets in the File menu, as the recent list (store/RecentList.h)
// holds them when the menu opens.

#include <windows.h>

#include <string>

// WM_INITMENUPOPUP of the File menu: lists the sheets above the separator
// before "終了", in their own group.
void listRecentSheets(HMENU fileMenu);
// The full path of the recent sheet's menu item `command` as last listed;
// empty when there is none.
std::string recentSheetPath(int command);
