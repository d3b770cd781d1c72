#pragma once

// The recent sheets kept for the user in %APPDATA%\Velmora\recent.txt.
// Every window of the program reads the file when its menu opens and
// changes it under a lock, so that two windows open at once both keep their
// sheets in it.

#include <string>
#include <vector>

// The list's UTF-8 paths, newest first; a missing, damaged or oversized
// file holds none.
std::vector<std::string> readRecentList();

// The sheet at the code page 932 path `path` was opened or saved.
void rememberRecentSheet(const std::string& path);
// The sheet could not be opened from the list: it leaves it.
void forgetRecentSheet(const std::string& path);
