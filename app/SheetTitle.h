#pragma once

// How the main window names the sheet on screen.

#include <string>

// The program's own title, which names its version.
std::string programTitle();

// What the sheet is called in the title and in the question about its
// edits: its file's name with the extension and without the folder, or
// "無題" while it has no file.
std::string sheetName(const std::string& sheetPath);

// The program's title alone for an unedited sheet that has no file; else the
// sheet's name before it, starred while the sheet holds unsaved edits.
std::string mainWindowTitle(const std::string& sheetPath, bool unsavedEdits);
