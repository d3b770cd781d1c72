#pragma once

// The files of recovery copies: sheets with unsaved edits kept in the user's
// own profile, %LOCALAPPDATA%\Velmora\Recovery, so that a crash or a power
// cut loses nothing. A copy is three files named alike: the sheet as a save
// would write it (.txt), its record (.about) and a lock (.lock) that the
// window keeping the copy holds open while it runs; Windows lets go of it
// when that window's process ends, however it ends.

#include "store/RecoveryRecord.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// This window's copy: written whole (never torn) or removed. Without a
// usable profile folder nothing is kept, and the program goes on.
bool writeOwnCopy(std::string_view sheetBytes, const RecoveryRecord& record);
void removeOwnCopy();

// A copy left by a window no longer running, locked by this one.
struct LeftCopy {
    std::wstring name;
    RecoveryRecord record;
    HANDLE lock = INVALID_HANDLE_VALUE;
};

struct LeftCopies {
    std::vector<LeftCopy> copies; // newest first
    std::size_t damaged = 0;      // copies that were no sheet, removed
};

// At most `most` copies of windows no longer running, each locked so that
// no other window offers it too; the rest wait, unlocked, for a later start.
LeftCopies takeLeftCopies(std::size_t most);
// The copy named so, when no window holds it; for the program started for it.
bool takeLeftCopy(const std::wstring& name, LeftCopy& copy);
std::wstring sheetFileOf(const LeftCopy& copy);

// The copy stays for the next start.
void releaseCopy(LeftCopy& copy);
// The copy is given up.
void removeCopy(LeftCopy& copy);
// The copy becomes this window's own, kept until its sheet is saved or its
// edits are given up.
void adoptCopy(LeftCopy& copy);
