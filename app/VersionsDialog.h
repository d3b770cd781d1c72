#pragma once

// "以前の版": the versions that saves kept of the window's sheet, newest
// first, each with what it has that the sheet shown does not; one is
// opened, saved under another name or deleted from there.

#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <optional>
#include <string>

// The bytes of the version the player chose to open; nothing when the
// dialog was closed. `sheetPath` is the sheet's file (code page 932).
std::optional<std::string> chooseVersion(HWND owner, const std::string& sheetPath,
                                         const CharacterSheet& shown);
