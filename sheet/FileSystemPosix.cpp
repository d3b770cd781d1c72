#include "sheet/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string_view>

bool flushToDisk(std::FILE* file) {
    return fsync(fileno(file)) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

unsigned long thisProcessId() {
    return static_cast<unsigned long>(getpid());
}

std::FILE* openForReading(const std::string& path) {
    return std::fopen(path.c_str(), "rb");
}

namespace {

FileLook lookOf(const struct stat& status) {
    if (!S_ISREG(status.st_mode))
        return {FileLook::Kind::other};
    return {FileLook::Kind::file, static_cast<std::uint64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
            (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0};
}

} // namespace

FileLook lookAtFile(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return {errno == ENOENT || errno == ENOTDIR ? FileLook::Kind::none : FileLook::Kind::other};
    return lookOf(status);
}

LocalTime localTimeOf(std::int64_t writeTime) {
    const std::time_t seconds = static_cast<std::time_t>(writeTime / 1000000000);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return {};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// POSIX names are bytes, taken here as UTF-8 as they are.
std::FILE* openUtf8ForReading(const std::string& utf8Path) {
    return openForReading(utf8Path);
}

std::FILE* openUtf8ForAppending(const std::string& utf8Path) {
    return std::fopen(utf8Path.c_str(), "ab");
}

std::FILE* openUtf8ForUpdate(const std::string& utf8Path) {
    return std::fopen(utf8Path.c_str(), "r+b");
}

FileLook lookAtUtf8File(const std::string& utf8Path) {
    return lookAtFile(utf8Path);
}

void removeUtf8File(const std::string& utf8Path) {
    std::remove(utf8Path.c_str());
}

bool makeUtf8Folder(const std::string& utf8Path) {
    struct stat status {};
    return mkdir(utf8Path.c_str(), 0777) == 0 ||
           (stat(utf8Path.c_str(), &status) == 0 && S_ISDIR(status.st_mode));
}

namespace {

// A symbolic link is looked at itself, never followed: it counts as the
// reparse point Windows would make of it.
FolderEntry entryOf(int folder, const char* name) {
    FolderEntry entry{name, false, false, name[0] == '.', {}};
    struct stat status {};
    if (fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return entry;
    entry.folder = S_ISDIR(status.st_mode);
    entry.reparsePoint = S_ISLNK(status.st_mode);
    entry.look = lookOf(status);
    return entry;
}

} // namespace

bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr)
        return false;
    while (const dirent* found = readdir(listing)) {
        const std::string_view name = found->d_name;
        if (name != "." && name != "..")
            entries.push_back(entryOf(dirfd(listing), found->d_name));
    }
    closedir(listing);
    return true;
}
