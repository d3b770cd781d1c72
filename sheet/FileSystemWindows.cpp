#include "sheet/FileSystem.h"

#include <io.h>
#include <windows.h>

bool flushToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::FILE* openForReading(const std::wstring& path) {
    return _wfopen(path.c_str(), L"rb");
}

std::FILE* openForWriting(const std::wstring& path) {
    return _wfopen(path.c_str(), L"wb");
}

void removeFile(const std::wstring& path) {
    _wremove(path.c_str());
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

namespace {

FileLook lookedAt(BOOL found, const WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (found == 0) {
        const DWORD error = GetLastError();
        return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileLook::Kind::none
                                                                               : FileLook::Kind::other};
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {FileLook::Kind::other};
    return {FileLook::Kind::file, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                      data.ftLastWriteTime.dwLowDateTime),
            (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0};
}

} // namespace

FileLook lookAtFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return lookedAt(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data), data);
}

FileLook lookAtFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return lookedAt(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data), data);
}
