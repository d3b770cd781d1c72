#pragma once

#include <cstdio>
#include <string>

// The file-system steps of a safe write, for the program's code page 932
// paths and, on Windows, for Unicode ones: Windows names some folders, a
// user's profile among them, in characters that code page lacks.

std::FILE* openForReading(const std::string& path);
std::FILE* openForWriting(const std::string& path);
void removeFile(const std::string& path);

// Pushes a written file's data through to the disk.
bool flushToDisk(std::FILE* file);

// Puts `from` in the place of `to`, replacing it in one step.
bool replaceFile(const std::string& from, const std::string& to);

#ifdef _WIN32
std::FILE* openForReading(const std::wstring& path);
std::FILE* openForWriting(const std::wstring& path);
void removeFile(const std::wstring& path);
bool replaceFile(const std::wstring& from, const std::wstring& to);
#endif
