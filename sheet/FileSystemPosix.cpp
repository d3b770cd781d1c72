#include "sheet/FileSystem.h"

#include <unistd.h>

bool flushToDisk(std::FILE* file) {
    return fsync(fileno(file)) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}
