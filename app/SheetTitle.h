#pragma once

// How the main window names the sheet on screen.

#include "store/SheetName.h"

#include <string>

// The program's own title, which names its version.
std::string programTitle();

// The program's title alone for an unedited sheet that has no file; else the
// sheet's name before it, starred while the sheet holds unsaved edits.
std::string mainWindowTitle(const std::string& sheetPath, bool unsavedEdits);
