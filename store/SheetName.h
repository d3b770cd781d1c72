#pragma once

// What a sheet is called on screen: in the title, the question about its
// edits and the offer of its recovery copy.

#include <string>

// Its file's name with the extension and without the folder, or "無題"
// while it has no file.
std::string sheetName(const std::string& sheetPath);
