#include "app/RecentMenu.h"

#include "app/RecentSheets.h"
#include "app/WaysIn.h"
#include "res/resource.h"
#include "sheet/TextFile.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

// The code page 932 paths of the menu's items, as last listed.
std::vector<std::string> listed;

std::wstring listFile() {
    const std::wstring folder = settingsFolder();
    return folder.empty() ? folder : folder + L"\\recent.txt";
}

// Held while a window reads, changes and writes the list; another window
// waits a moment for it.
class ListLock {
public:
    ListLock() {
        const std::wstring folder = settingsFolder();
        if (folder.empty())
            return;
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring lockFile = folder + L"\\recent.lock";
        for (int attempt = 0; attempt < 200 && handle == INVALID_HANDLE_VALUE; ++attempt) {
            handle = CreateFileW(lockFile.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                Sleep(10);
        }
    }
    ~ListLock() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
    bool isHeld() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

// The list's UTF-8 paths; a missing, damaged or oversized file holds none.
std::vector<std::string> readList() {
    const std::wstring path = listFile();
    std::FILE* file = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return {};
    std::string text(recentSheetsFileLimit + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return readRecentSheets(text);
}

void changeList(const std::function<std::vector<std::string>(std::vector<std::string>)>& change) {
    const ListLock lock;
    if (!lock.isHeld())
        return;
    const std::vector<std::string> before = readList();
    const std::vector<std::string> after = change(before);
    if (after != before)
        replaceFileContents(listFile(), recentSheetsText(after));
}

std::string utf8Path(const std::string& path) {
    return utf8OfWide(wideOfNarrow(path));
}

void removeListedItems(HMENU menu) {
    DeleteMenu(menu, IDM_RECENT_GROUP, MF_BYCOMMAND);
    for (int command = IDM_RECENT_FIRST; command < IDM_RECENT_FIRST + static_cast<int>(recentSheetCount);
         ++command)
        DeleteMenu(menu, command, MF_BYCOMMAND);
}

void insertItem(HMENU menu, UINT at, UINT type, int command, const std::string& text) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | (type == MFT_STRING ? MIIM_STRING : 0);
    item.fType = type;
    item.wID = static_cast<UINT>(command);
    item.dwTypeData = const_cast<char*>(text.c_str());
    InsertMenuItemA(menu, at, TRUE, &item);
}

UINT positionOf(HMENU menu, int command) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) == static_cast<UINT>(command))
            return static_cast<UINT>(i);
    }
    return static_cast<UINT>(count);
}

} // namespace

// In Unicode: the user's profile may be named in characters that code page
// 932 lacks (Zoë, on a Western Windows).
std::wstring settingsFolder() {
    wchar_t appData[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return std::wstring(appData) + L"\\Velmora";
}

void rememberRecentSheet(const std::string& path) {
    const std::string utf8 = utf8Path(path);
    changeList([&utf8](std::vector<std::string> paths) { return withRecentSheet(std::move(paths), utf8); });
}

void forgetRecentSheet(const std::string& path) {
    const std::string utf8 = utf8Path(path);
    changeList(
        [&utf8](std::vector<std::string> paths) { return withoutRecentSheet(std::move(paths), utf8); });
}

void listRecentSheets(HMENU fileMenu) {
    removeListedItems(fileMenu);
    listed.clear();
    // A path that code page 932 cannot hold is no sheet this program opens.
    for (const std::string& utf8 : readList()) {
        if (const std::optional<std::string> path = narrowPath(wideOfUtf8(utf8)))
            listed.push_back(*path);
    }
    if (listed.empty())
        return;
    // Before the separator above "終了".
    UINT at = positionOf(fileMenu, IDM_EXIT) - 1;
    insertItem(fileMenu, at++, MFT_SEPARATOR, IDM_RECENT_GROUP, std::string());
    for (std::size_t i = 0; i < listed.size(); ++i)
        insertItem(fileMenu, at++, MFT_STRING, IDM_RECENT_FIRST + static_cast<int>(i),
                   recentSheetMenuText(i, listed[i]));
}

std::string recentSheetPath(int command) {
    const auto index = static_cast<std::size_t>(command - IDM_RECENT_FIRST);
    return command >= IDM_RECENT_FIRST && index < listed.size() ? listed[index] : std::string();
}
