#include "dolls/DollListPlace.h"

#include "sheet/TextFile.h"
#include "sheet/WindowsText.h"
#include "store/ProfileFolders.h"

#include <shlobj.h>

#include <cstdio>
#include <sstream>

namespace {

// A settings file larger than this is none of the program's.
constexpr std::size_t settingsFileLimit = 64 * 1024;

std::wstring settingsFile() {
    const std::wstring folder = settingsFolder();
    return folder.empty() ? folder : folder + L"\\dolls.txt";
}

std::string readSettingsText() {
    const std::wstring path = settingsFile();
    std::FILE* file = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return std::string();
    std::string text(settingsFileLimit + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text.size() > settingsFileLimit ? std::string() : text;
}

// A place on no screen of this machine (a screen since unplugged) is
// none: the list opens where it would the first time.
std::optional<RECT> placeOnScreen(std::istringstream& values) {
    RECT place{};
    if (!(values >> place.left >> place.top >> place.right >> place.bottom) || place.right <= place.left ||
        place.bottom <= place.top || MonitorFromRect(&place, MONITOR_DEFAULTTONULL) == nullptr)
        return std::nullopt;
    return place;
}

std::optional<DollOrder> orderOf(std::istringstream& values) {
    int column = -1, descending = -1;
    if (!(values >> column >> descending) || column < 0 || column >= static_cast<int>(dollColumnCount) ||
        (descending != 0 && descending != 1))
        return std::nullopt;
    return DollOrder{static_cast<DollColumn>(column), descending == 1};
}

bool isFolder(const std::string& utf8) {
    const DWORD attributes = GetFileAttributesW(wideOfUtf8(utf8).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string documentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return std::string();
    return utf8OfWide(path);
}

} // namespace

DollListSettings readDollListSettings() {
    DollListSettings settings;
    std::istringstream lines(readSettingsText());
    std::string line;
    while (std::getline(lines, line)) {
        if (line.ends_with('\r'))
            line.pop_back();
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        std::istringstream values(equals == std::string::npos ? std::string() : line.substr(equals + 1));
        if (key == "folder")
            settings.folder = values.str();
        else if (key == "place")
            settings.place = placeOnScreen(values);
        else if (key == "order")
            settings.order = orderOf(values).value_or(DollOrder{});
    }
    return settings;
}

void keepDollListSettings(const DollListSettings& settings) {
    std::ostringstream text;
    text << "folder=" << settings.folder << "\r\n";
    if (settings.place)
        text << "place=" << settings.place->left << ' ' << settings.place->top << ' ' << settings.place->right
             << ' ' << settings.place->bottom << "\r\n";
    text << "order=" << static_cast<int>(settings.order.column) << ' ' << (settings.order.descending ? 1 : 0)
         << "\r\n";
    const std::wstring path = settingsFile();
    if (path.empty())
        return;
    CreateDirectoryW(settingsFolder().c_str(), nullptr);
    replaceFileContents(path, text.str());
}

std::string startFolder(const std::string& kept, const std::string& sheetPath) {
    if (!kept.empty() && isFolder(kept))
        return kept;
    // Found in Unicode: a byte '\\' may be the second half of a character.
    const std::wstring sheet = wideOfNarrow(sheetPath);
    const std::size_t separator = sheet.find_last_of(L"\\/");
    if (separator != std::wstring::npos) {
        const std::string sheetFolder = utf8OfWide(sheet.substr(0, separator));
        if (isFolder(sheetFolder))
            return sheetFolder;
    }
    return documentsFolder();
}
