#include "store/RecentList.h"

#include "sheet/TextFile.h"
#include "sheet/WindowsText.h"
#include "store/ProfileFolders.h"
#include "store/RecentSheets.h"

#include <windows.h>

#include <cstdio>
#include <functional>

namespace {

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

void changeList(const std::function<std::vector<std::string>(std::vector<std::string>)>& change) {
    const ListLock lock;
    if (!lock.isHeld())
        return;
    const std::vector<std::string> before = readRecentList();
    const std::vector<std::string> after = change(before);
    if (after != before)
        replaceFileContents(listFile(), recentSheetsText(after));
}

std::string utf8Path(const std::string& path) {
    return utf8OfWide(wideOfNarrow(path));
}

} // namespace

std::vector<std::string> readRecentList() {
    const std::wstring path = listFile();
    std::FILE* file = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return {};
    std::string text(recentSheetsFileLimit + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return readRecentSheets(text);
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
