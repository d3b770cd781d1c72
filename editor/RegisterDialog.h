#pragma once

// The dialog "カタログに登録" ("REGISTERDLG"): entries of a list put into
// the catalogue file of their kind, under a heading the user picks or types,
// with a line saying what registering will do before it is done.

#include "editor/Catalogues.h"
#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <string>
#include <vector>

// Registers `entries` (unticked) under the heading chosen, `heading` at
// first; a file that could not be written is told of in a message box and
// left as it was. True when they are in the file.
bool registerInCatalogueFile(HWND owner, CatalogueKind kind, const std::vector<PartEntry>& entries,
                             const std::string& heading);
