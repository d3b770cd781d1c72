#include "store/RecentSheets.h"

#include "portrait/PortraitPath.h"
#include "sheet/CodePage932.h"

#include <algorithm>

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool samePath(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool hasControlCharacter(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

} // namespace

std::vector<std::string> readRecentSheets(std::string_view text) {
    if (text.size() > recentSheetsFileLimit || !isUtf8(text))
        return {};
    std::vector<std::string> paths;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (hasControlCharacter(line))
            return {};
        const bool listed = std::any_of(paths.begin(), paths.end(),
                                        [line](const std::string& path) { return samePath(path, line); });
        if (!line.empty() && !listed && paths.size() < recentSheetCount)
            paths.emplace_back(line);
    }
    return paths;
}

std::string recentSheetsText(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths)
        text += path + "\r\n";
    return text;
}

std::vector<std::string> withRecentSheet(std::vector<std::string> paths, const std::string& path) {
    paths = withoutRecentSheet(std::move(paths), path);
    paths.insert(paths.begin(), path);
    if (paths.size() > recentSheetCount)
        paths.resize(recentSheetCount);
    return paths;
}

std::vector<std::string> withoutRecentSheet(std::vector<std::string> paths, const std::string& path) {
    std::erase_if(paths, [&path](const std::string& kept) { return samePath(kept, path); });
    return paths;
}

std::string recentSheetMenuText(std::size_t index, const std::string& sheetPath) {
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (char c : filePart(sheetPath)) {
        text += c;
        if (c == '&')
            text += '&';
    }
    return text;
}
