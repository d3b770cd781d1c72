#include "store/VersionStore.h"

#include "sheet/FileSystem.h"
#include "sheet/WindowsText.h"
#include "store/ProfileFolders.h"
#include "store/ProfileLock.h"

#include <windows.h>

namespace {

constexpr wchar_t lockName[] = L"index.lock";

std::wstring versionsFolder() {
    const std::wstring velmora = localFolder();
    return velmora.empty() ? velmora : velmora + L"\\Versions";
}

SheetVersions store() {
    return SheetVersions(utf8OfWide(versionsFolder()));
}

// A path as Windows fills it into a buffer it is asked the size of first.
template <class Fill> std::wstring filled(Fill fill) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = fill(text.data(), static_cast<DWORD>(text.size()));
    if (length >= text.size()) {
        text.resize(length);
        length = fill(text.data(), static_cast<DWORD>(text.size()));
    }
    text.resize(length < text.size() ? length : 0);
    return text;
}

// What the file system calls the file itself, through whatever spelling:
// empty when there is no file there.
std::wstring finalPathOf(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::wstring();
    const std::wstring final = filled([file](wchar_t* buffer, DWORD size) {
        return GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    CloseHandle(file);
    return final;
}

// The best a path that names no file yet can be resolved.
std::wstring longFullPathOf(const std::wstring& path) {
    const std::wstring full = filled([&path](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
    const std::wstring longer =
        filled([&full](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
    return longer.empty() ? full : longer;
}

// "\\?\C:\…" and "\\?\UNC\server\…" as a path without the prefix spells
// them, so that a file there and one not yet there compare alike.
std::wstring withoutLongPathPrefix(const std::wstring& path) {
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    return path.starts_with(L"\\\\?\\") ? path.substr(4) : path;
}

// Held around every change of the index; the profile's own folder is made
// first, as the lock's folder is made only where its parent is.
ProfileLock lockedStore() {
    CreateDirectoryW(localFolder().c_str(), nullptr);
    return ProfileLock(versionsFolder(), lockName);
}

std::wstring caseFolded(std::wstring path) {
    CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

} // namespace

std::string sheetKeyOf(const std::string& sheetPath) {
    if (sheetPath.empty())
        return std::string();
    const std::wstring path = wideOfNarrow(sheetPath);
    const std::wstring final = finalPathOf(path);
    return utf8OfWide(caseFolded(withoutLongPathPrefix(final.empty() ? longFullPathOf(path) : final)));
}

VersionKept keepVersionBeforeSave(const std::string& sheetPath, std::string_view newBytes) {
    if (sheetPath.empty() || lookAtFile(sheetPath).kind == FileLook::Kind::none)
        return VersionKept::nothingToKeep;
    if (localFolder().empty())
        return VersionKept::failed;
    const ProfileLock lock = lockedStore();
    if (!lock.isHeld())
        return VersionKept::failed;
    return store().keepBeforeWrite(sheetKeyOf(sheetPath), sheetPath, newBytes);
}

std::vector<SheetVersionEntry> versionsOf(const std::string& sheetPath) {
    if (sheetPath.empty() || localFolder().empty())
        return {};
    return store().versionsOf(sheetKeyOf(sheetPath));
}

std::optional<std::string> versionBytes(const std::string& sheetPath, const std::string& id) {
    if (sheetPath.empty() || localFolder().empty())
        return std::nullopt;
    return store().bytesOf(sheetKeyOf(sheetPath), id);
}

bool deleteVersion(const std::string& sheetPath, const std::string& id) {
    if (sheetPath.empty() || localFolder().empty())
        return true;
    const ProfileLock lock = lockedStore();
    return lock.isHeld() && store().remove(sheetKeyOf(sheetPath), id);
}
