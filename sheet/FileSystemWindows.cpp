#include "sheet/FileSystem.h"

#include <io.h>
#include <windows.h>

bool flushToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
