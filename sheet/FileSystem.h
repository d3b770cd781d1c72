#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The file-system steps of a safe write, for the program's code page 932
// paths and, on Windows, for Unicode ones: Windows names some folders, a
// user's profile among them, in characters that code page lacks.

// On Windows a file open for reading may still be replaced, renamed or
// deleted by others.
std::FILE* openForReading(const std::string& path);
std::FILE* openForWriting(const std::string& path);
void removeFile(const std::string& path);

// This program's process, as the system numbers it: what tells its files
// from another process's in a folder that both write to.
unsigned long thisProcessId();

// What the file system tells of a path without opening the file there:
// nothing, a file with its size, last write time (in the system's own
// units) and whether it is marked read-only, or something else, such as a
// folder or a path it will not look at.
struct FileLook {
    enum class Kind { none, file, other };
    Kind kind = Kind::none;
    std::uint64_t size = 0;
    std::int64_t writeTime = 0;
    bool readOnly = false;
    bool operator==(const FileLook&) const = default;
};
FileLook lookAtFile(const std::string& path);

// Pushes a written file's data through to the disk.
bool flushToDisk(std::FILE* file);

// Puts `from` in the place of `to`, replacing it in one step.
bool replaceFile(const std::string& from, const std::string& to);

// A file's last write time (FileLook::writeTime) as the clock on this
// machine's wall showed it then.
struct LocalTime {
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};
LocalTime localTimeOf(std::int64_t writeTime);

// ---- Paths in UTF-8 ----
// A folder that the user picks may hold names that code page 932 cannot:
// these take and give UTF-8 paths and, on Windows, reach the file through
// its Unicode name.

// One name in a folder, as listing the folder tells of it.
struct FolderEntry {
    std::string name; // UTF-8, without the folder
    bool folder = false;
    bool reparsePoint = false; // a junction or a symbolic link
    bool hidden = false;       // hidden or system; on POSIX, a name that begins with '.'
    FileLook look;             // a file's size and write time; Kind::other for the rest
};
// Fills `entries` with what the folder holds ("." and ".." left out), in no
// particular order; false when the folder cannot be read.
bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries);

std::FILE* openUtf8ForReading(const std::string& utf8Path);
// Opens the file, made when it is not there, for writing at its end.
std::FILE* openUtf8ForAppending(const std::string& utf8Path);
// Opens the file that is there for writing over bytes where it will.
std::FILE* openUtf8ForUpdate(const std::string& utf8Path);
FileLook lookAtUtf8File(const std::string& utf8Path);
void removeUtf8File(const std::string& utf8Path);
// Makes the folder, whose parent must be there; true when a folder is there
// afterwards, made now or before.
bool makeUtf8Folder(const std::string& utf8Path);

// What this system puts between folders in a path.
#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
#else
inline constexpr char pathSeparator = '/';
#endif

#ifdef _WIN32
// UTF-8 and Windows' UTF-16, both ways, as Windows converts them.
std::wstring wideOfUtf8(std::string_view utf8);
std::string utf8OfWide(std::wstring_view wide);
std::FILE* openForReading(const std::wstring& path);
std::FILE* openForWriting(const std::wstring& path);
void removeFile(const std::wstring& path);
bool replaceFile(const std::wstring& from, const std::wstring& to);
FileLook lookAtFile(const std::wstring& path);
#endif
