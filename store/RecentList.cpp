#include "store/RecentList.h"

#include "sheet/TextFile.h"
#include "sheet/WindowsText.h"
#include "store/ProfileFolders.h"
#include "store/ProfileLock.h"
#include "store/RecentSheets.h"

#include <windows.h>

#include <cstdio>
#include <functional>

namespace {

std::wstring listFile() {
    const std::wstring folder = settingsFolder();
    return folder.empty() ? folder : folder + L"\\recent.txt";
}

void changeList(const std::function<std::vector<std::string>(std::vector<std::string>)>& change) {
    const ProfileLock lock(settingsFolder(), L"recent.lock");
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
