#pragma once

// The program's own file, and the program started once more beside this
// one: for a sheet of its own, or for a recovery copy.

#include <string>

std::wstring programPath();
// Starts the program with one argument; false when it could not be started.
bool startProgramWith(const std::wstring& argument);
