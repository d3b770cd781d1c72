#include "dolls/DollFolder.h"

#include "sheet/CharacterSheet.h"
#include "sheet/CodePage932.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr std::string_view sheetExtension = ".txt";
constexpr char shownSeparator = '\\';

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool hasSheetExtension(std::string_view name) {
    if (name.size() < sheetExtension.size())
        return false;
    const std::string_view end = name.substr(name.size() - sheetExtension.size());
    return std::ranges::equal(end, sheetExtension, {}, lower);
}

std::string below(const std::string& relativeFolder, const std::string& name) {
    return relativeFolder.empty() ? name : relativeFolder + shownSeparator + name;
}

struct FolderToList {
    std::string relativePath;
    int depth;
};

// Takes what one folder holds into the walk, and its subfolders still to list.
void takeEntries(const FolderToList& listed, const std::vector<FolderEntry>& entries, FolderWalk& walk,
                 std::vector<FolderToList>& toList) {
    for (const FolderEntry& entry : entries) {
        if (entry.reparsePoint || entry.hidden)
            continue;
        if (entry.folder) {
            if (listed.depth < dollFolderDepth)
                toList.push_back({below(listed.relativePath, entry.name), listed.depth + 1});
        } else if (entry.look.kind == FileLook::Kind::file && hasSheetExtension(entry.name)) {
            walk.files.push_back({below(listed.relativePath, entry.name), entry.look});
        }
    }
}

std::string_view fileNameOf(std::string_view relativePath) {
    return relativePath.substr(relativePath.find_last_of(shownSeparator) + 1);
}

// ---- Order ----

std::string_view foldedColumn(const FoldedDoll& doll, DollColumn column) {
    const FoldedText text = doll.columns[static_cast<std::size_t>(column)];
    return std::string_view(doll.searched).substr(text.begin, text.end - text.begin);
}

// `a` comes before `b` by their keys, the order's way, and by their paths
// where the keys are equal.
template <class Key>
bool comesBefore(const Key& keyA, const Key& keyB, const std::string& pathA, const std::string& pathB,
                 bool descending) {
    if (keyA != keyB)
        return descending ? keyB < keyA : keyA < keyB;
    return pathA < pathB;
}

std::string foldedFile(const std::string& relativePath) {
    return foldForSearch(utf8ToCodePage932(relativePath));
}

} // namespace

FolderWalk walkDollFolder(const std::string& folder, const FolderLister& list,
                          const std::atomic<bool>& stop) {
    FolderWalk walk;
    std::vector<FolderToList> toList = {{"", 0}};
    std::vector<FolderEntry> entries;
    while (!toList.empty() && !stop) {
        const FolderToList listed = std::move(toList.back());
        toList.pop_back();
        entries.clear();
        if (list(dollFilePath(folder, listed.relativePath), entries))
            takeEntries(listed, entries, walk, toList);
        else
            walk.unreadableFolders.push_back(listed.relativePath);
    }
    return walk;
}

std::string dollFilePath(const std::string& folder, std::string_view relativePath) {
    if (relativePath.empty())
        return folder;
    std::string path = folder;
    if (!path.empty() && path.back() != pathSeparator && path.back() != shownSeparator)
        path += pathSeparator;
    for (char c : relativePath)
        path += c == shownSeparator ? pathSeparator : c;
    return path;
}

bool namesFileBelowFolder(std::string_view relativePath) {
    if (relativePath.empty())
        return false;
    for (std::size_t at = 0; at <= relativePath.size();) {
        const std::size_t end = std::min(relativePath.find(shownSeparator, at), relativePath.size());
        const std::string_view name = relativePath.substr(at, end - at);
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of(std::string_view("/:\0", 3)) != std::string_view::npos)
            return false;
        at = end + 1;
    }
    return true;
}

DollRead readDollSheet(const std::string& sheetPath, DollSummary& summary) {
    std::FILE* file = openUtf8ForReading(sheetPath);
    if (file == nullptr)
        return lookAtUtf8File(sheetPath).kind == FileLook::Kind::none ? DollRead::vanished
                                                                      : DollRead::notSheet;
    std::optional<SheetContents> contents = readSheetContents(file, dollSheetByteLimit);
    if (!contents)
        return DollRead::notSheet;
    summary = {std::move(contents->dollName),   std::move(contents->position),
               std::move(contents->mainClass),  std::move(contents->subClass),
               std::move(contents->playerName), std::move(contents->portraitPath)};
    return DollRead::sheet;
}

std::string dollRowName(const DollRow& row) {
    if (!row.summary.dollName.empty())
        return row.summary.dollName;
    std::string_view name = fileNameOf(row.relativePath);
    if (hasSheetExtension(name))
        name.remove_suffix(sheetExtension.size());
    return utf8ToCodePage932(name);
}

std::string dollRowFile(const DollRow& row) {
    return utf8ToCodePage932(row.relativePath);
}

std::string dollRowDate(const DollRow& row) {
    return localTimeText(localTimeOf(row.look.writeTime));
}

std::string localTimeText(const LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", time.year, time.month, time.day, time.hour,
                  time.minute);
    return text;
}

FoldedDoll foldDoll(const DollRow& row) {
    FoldedDoll doll;
    const DollSummary& summary = row.summary;
    const std::string name = dollRowName(row), file = dollRowFile(row);
    std::size_t column = 0;
    for (const std::string* text :
         {&name, &summary.position, &summary.mainClass, &summary.subClass, &summary.playerName, &file}) {
        const std::size_t begin = appendFoldedText(doll.searched, *text);
        doll.columns[column++] = {static_cast<std::uint32_t>(begin),
                                  static_cast<std::uint32_t>(doll.searched.size())};
    }
    return doll;
}

bool matchesDollSearch(const FoldedDoll& doll, const FoldedWords& words) {
    return containsEveryWord(doll.searched, words);
}

std::vector<std::size_t> shownDolls(const std::vector<DollRow>& rows, const std::vector<FoldedDoll>& folded,
                                    const FoldedWords& words, DollOrder order) {
    std::vector<std::size_t> shown;
    shown.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (matchesDollSearch(folded[i], words))
            shown.push_back(i);
    }
    std::ranges::sort(shown, [&](std::size_t a, std::size_t b) {
        const std::string& pathA = rows[a].relativePath;
        const std::string& pathB = rows[b].relativePath;
        if (order.column == DollColumn::updated)
            return comesBefore(rows[a].look.writeTime, rows[b].look.writeTime, pathA, pathB,
                               order.descending);
        return comesBefore(foldedColumn(folded[a], order.column), foldedColumn(folded[b], order.column),
                           pathA, pathB, order.descending);
    });
    return shown;
}

std::string copyFileName(std::string_view fileName, const std::function<bool(const std::string&)>& taken) {
    constexpr std::u8string_view copyWord = u8" - コピー";
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t stemSize = dot == std::string_view::npos || dot == 0 ? fileName.size() : dot;
    const std::string stem =
        std::string(fileName.substr(0, stemSize)) + std::string(copyWord.begin(), copyWord.end());
    const std::string_view extension = fileName.substr(stemSize);
    std::string name = stem + std::string(extension);
    for (int number = 2; taken(name); ++number) {
        if (number > maxCopyNumber)
            return {};
        name = stem + " (" + std::to_string(number) + ")" + std::string(extension);
    }
    return name;
}

FolderChanges changesSince(const std::vector<DollRow>& known, const std::vector<FoundSheetFile>& notSheets,
                           const FolderWalk& now) {
    std::unordered_map<std::string_view, FileLook> seen;
    for (const DollRow& row : known)
        seen.emplace(row.relativePath, row.look);
    for (const FoundSheetFile& file : notSheets)
        seen.emplace(file.relativePath, file.look);
    FolderChanges changes;
    std::unordered_set<std::string_view> present;
    for (const FoundSheetFile& file : now.files) {
        present.insert(file.relativePath);
        const auto before = seen.find(file.relativePath);
        if (before == seen.end() || !(before->second == file.look))
            changes.toRead.push_back(file);
    }
    for (const auto& [path, look] : seen) {
        if (!present.contains(path))
            changes.gone.emplace_back(path);
    }
    return changes;
}

void orderForReading(std::vector<FoundSheetFile>& files, DollOrder order) {
    if (order.column == DollColumn::updated) {
        std::ranges::sort(files, [&](const FoundSheetFile& a, const FoundSheetFile& b) {
            return comesBefore(a.look.writeTime, b.look.writeTime, a.relativePath, b.relativePath,
                               order.descending);
        });
    } else if (order.column == DollColumn::file) {
        std::vector<std::pair<std::string, FoundSheetFile>> keyed;
        keyed.reserve(files.size());
        for (FoundSheetFile& file : files)
            keyed.emplace_back(foldedFile(file.relativePath), std::move(file));
        std::ranges::sort(keyed, [&](const auto& a, const auto& b) {
            return comesBefore(a.first, b.first, a.second.relativePath, b.second.relativePath,
                               order.descending);
        });
        for (std::size_t i = 0; i < files.size(); ++i)
            files[i] = std::move(keyed[i].second);
    }
}
