#pragma once

// What the doll list keeps across starts, where the recent sheets are kept
// (%APPDATA%\Velmora\dolls.txt, UTF-8): the folder it showed last, its
// place and size on screen, and its order.

#include "dolls/DollFolder.h"

#include <windows.h>

#include <optional>
#include <string>

struct DollListSettings {
    std::string folder; // UTF-8; empty when none was kept
    std::optional<RECT> place;
    DollOrder order;
};

// What was kept; defaults for anything missing or damaged.
DollListSettings readDollListSettings();
void keepDollListSettings(const DollListSettings& settings);

// The folder the list shows when it opens: the one kept while it is there,
// else the folder of the window's sheet (`sheetPath`, code page 932; empty
// for a sheet never saved), else the user's Documents folder. UTF-8.
std::string startFolder(const std::string& kept, const std::string& sheetPath);
