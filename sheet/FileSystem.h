#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The file-system steps of a safe write, for the program's code page 932
// paths and, on Windows, for Unicode ones: Windows names some folders, a
// user's profile among them, in characters that code page lacks.

std::FILE* openForReading(const std::string& path);
std::FILE* openForWriting(const std::string& path);
void removeFile(const std::string& path);

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

#ifdef _WIN32
std::FILE* openForReading(const std::wstring& path);
std::FILE* openForWriting(const std::wstring& path);
void removeFile(const std::wstring& path);
bool replaceFile(const std::wstring& from, const std::wstring& to);
FileLook lookAtFile(const std::wstring& path);
#endif
