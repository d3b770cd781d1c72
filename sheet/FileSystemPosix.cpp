#include "sheet/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool flushToDisk(std::FILE* file) {
    return fsync(fileno(file)) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

FileLook lookAtFile(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return {errno == ENOENT || errno == ENOTDIR ? FileLook::Kind::none : FileLook::Kind::other};
    if (!S_ISREG(status.st_mode))
        return {FileLook::Kind::other};
    return {FileLook::Kind::file, static_cast<std::uint64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
            (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0};
}
