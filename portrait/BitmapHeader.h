#pragma once

#include <string>

// Whether the file is a Windows bitmap whose header claims a picture larger
// than any portrait: such a file is refused before the system is asked to
// allocate for it. Files that are no bitmap, or a bitmap within bounds,
// answer false.
bool isOversizedBitmapFile(const std::string& path);
