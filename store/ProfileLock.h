#pragma once

// A lock on a file of the profile that every window of the program reads,
// changes and writes back (the recent list, the index of versions): held
// around the whole change, so that two windows at once both keep theirs.

#include <windows.h>

#include <string>

class ProfileLock {
public:
    // Locks `lockName` in `folder`, making the folder when its parent is
    // there; waits a moment for another window that holds it.
    ProfileLock(const std::wstring& folder, const wchar_t* lockName);
    ~ProfileLock();
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;
    bool isHeld() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};
