#pragma once

// Texts between the program's code page 932, Windows' UTF-16 and UTF-8, as
// Windows itself converts them: for paths from and to Explorer, for the
// user's files kept in UTF-8 and for the clipboard.

#include "sheet/FileSystem.h" // wideOfUtf8, utf8OfWide

#include <optional>
#include <string>
#include <string_view>

// A path as the program's narrow file functions take it, in the system's
// code page (932, which the manifest asks for); nothing when that code page
// cannot hold it, so that no file is opened under a mangled name.
std::optional<std::string> narrowPath(const std::wstring& path);
std::wstring wideOfNarrow(std::string_view text);
// How the narrow status bar shows a path: a character that code page 932
// lacks shows as a question mark.
std::string shownPath(const std::wstring& path);
