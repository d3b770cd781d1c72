#pragma once

#include <cstdio>
#include <string>

// The two file-system steps that differ between Windows and POSIX.

// Pushes a written file's data through to the disk.
bool flushToDisk(std::FILE* file);

// Puts `from` in the place of `to`, replacing it in one step.
bool replaceFile(const std::string& from, const std::string& to);
