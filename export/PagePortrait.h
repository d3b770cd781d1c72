#pragma once

// The portrait on the printed page, carried inside the page itself so that
// opening the page fetches nothing.

#include <string>

// The longer side of the picture on the page, in pixels: more than the
// frame's 40 mm need at 300 dots an inch, and little enough to keep a
// page small.
inline constexpr int pagePortraitSide = 600;

// The picture that a sheet's portrait path names, as a data: URL of a JPEG
// no larger than pagePortraitSide either way; empty when the path names no
// plain local file, or a file that holds no picture this can read. A
// picture missing at the path is looked for beside the sheet file at
// `sheetPath` (findSheetPortrait).
std::string portraitDataUrl(const std::string& portraitPath, const std::string& sheetPath);
