#include "sheet/FileSystem.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace {

// A reader shares the file for writing and deleting as well: a save puts a
// new file in its place and the Recycle Bin moves it away, and neither may
// fail because a worker is still reading the old one.
constexpr DWORD readersShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The stream takes over the handle, and closing it closes the handle.
std::FILE* readingStreamOf(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "rb");
    if (stream == nullptr)
        _close(descriptor);
    return stream;
}

} // namespace

bool flushToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned long thisProcessId() {
    return GetCurrentProcessId();
}

std::FILE* openForReading(const std::string& path) {
    return readingStreamOf(CreateFileA(path.c_str(), GENERIC_READ, readersShare, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::FILE* openForReading(const std::wstring& path) {
    return readingStreamOf(CreateFileW(path.c_str(), GENERIC_READ, readersShare, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
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

// What a folder listing and a look at one path both tell.
template <class Data> FileLook lookOf(const Data& data) {
    if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return {FileLook::Kind::other};
    return {FileLook::Kind::file, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                      data.ftLastWriteTime.dwLowDateTime),
            (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0};
}

FileLook lookedAt(BOOL found, const WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (found == 0) {
        const DWORD error = GetLastError();
        return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileLook::Kind::none
                                                                               : FileLook::Kind::other};
    }
    return lookOf(data);
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

namespace {

FolderEntry entryOf(const WIN32_FIND_DATAW& found) {
    const DWORD attributes = found.dwFileAttributes;
    return {utf8OfWide(found.cFileName), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
            (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0, lookOf(found)};
}

} // namespace

std::wstring wideOfUtf8(std::string_view utf8) {
    const int length = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string utf8OfWide(std::wstring_view wide) {
    const int length = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(
                         WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                        nullptr);
    return utf8;
}

std::FILE* openUtf8ForReading(const std::string& utf8Path) {
    return openForReading(wideOfUtf8(utf8Path));
}

std::FILE* openUtf8ForAppending(const std::string& utf8Path) {
    return _wfopen(wideOfUtf8(utf8Path).c_str(), L"ab");
}

std::FILE* openUtf8ForUpdate(const std::string& utf8Path) {
    return _wfopen(wideOfUtf8(utf8Path).c_str(), L"r+b");
}

FileLook lookAtUtf8File(const std::string& utf8Path) {
    return lookAtFile(wideOfUtf8(utf8Path));
}

void removeUtf8File(const std::string& utf8Path) {
    removeFile(wideOfUtf8(utf8Path));
}

bool makeUtf8Folder(const std::string& utf8Path) {
    const std::wstring folder = wideOfUtf8(utf8Path);
    if (CreateDirectoryW(folder.c_str(), nullptr) != 0)
        return true;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The basic information leaves out the short 8.3 names, and the large
// fetch asks for many entries a call: both quicken a folder of thousands.
bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    std::wstring pattern = wideOfUtf8(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty drive's root holds not even "."
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back(entryOf(found));
    } while (FindNextFileW(search, &found) != 0);
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete;
}

// The offset from universal time that applied on the day of the write, not
// today's: a file written in summer shows its summer hour.
LocalTime localTimeOf(std::int64_t writeTime) {
    const auto ticks = static_cast<std::uint64_t>(writeTime);
    const FILETIME universal{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universalTime{}, local{};
    if (FileTimeToSystemTime(&universal, &universalTime) == 0 ||
        SystemTimeToTzSpecificLocalTime(nullptr, &universalTime, &local) == 0)
        return {};
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}
