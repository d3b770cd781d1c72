#pragma once

// Where the program keeps what it knows of sheets in the user's profile,
// in Unicode: the profile may be named in characters that code page 932
// lacks (Zoë, on a Western Windows). Each is empty without a profile, and
// may not exist yet: it is made only when something is first written there.

#include <string>

// %APPDATA%\Velmora: the settings that roam with the user (the recent list,
// the doll list's place).
std::wstring settingsFolder();

// %LOCALAPPDATA%\Velmora: what stays on this machine (the recovery copies).
std::wstring localFolder();
