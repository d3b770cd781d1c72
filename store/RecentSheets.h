#pragma once

// The list of sheets last opened or saved, newest first, as the File menu
// offers them and as a small file of the user's keeps them: one full path a
// line, in UTF-8.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t recentSheetCount = 8;
// A list file larger than this is no list of the program's.
inline constexpr std::size_t recentSheetsFileLimit = 64 * 1024;

// The paths of a list file's text. A text that is no such list (too large,
// holding a NUL or a control character, or no UTF-8) gives no paths; blank
// lines and repeats are left out, and so is anything past the list's length.
std::vector<std::string> readRecentSheets(std::string_view text);
std::string recentSheetsText(const std::vector<std::string>& paths);

// `path` at the top, once: Windows' paths differ in case only in ASCII
// letters, which are compared without it.
std::vector<std::string> withRecentSheet(std::vector<std::string> paths, const std::string& path);
std::vector<std::string> withoutRecentSheet(std::vector<std::string> paths, const std::string& path);

// The menu item for the `index`th sheet (from 0) at the code page 932 path
// `sheetPath`: "&1 リリィ.txt", an ampersand of the name doubled so that it
// shows as one.
std::string recentSheetMenuText(std::size_t index, const std::string& sheetPath);
