#include "store/ProfileLock.h"

// The lock is a file held open with no sharing, gone when it is let go of;
// Windows lets go of it when the process ends, however it ends.
ProfileLock::ProfileLock(const std::wstring& folder, const wchar_t* lockName) {
    if (folder.empty())
        return;
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring lockFile = folder + L"\\" + lockName;
    for (int attempt = 0; attempt < 200 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        handle = CreateFileW(lockFile.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            Sleep(10);
    }
}

ProfileLock::~ProfileLock() {
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
}
