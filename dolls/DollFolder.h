#pragma once

// The doll list's rules that need no window: which files of a folder are
// its rows, what a row shows, how the rows are ordered and searched, what a
// copy is called and what changed in the folder since it was last read.
// Safe on a worker thread: nothing here writes a global or loads a portrait.
//
// Paths are UTF-8, so that a name code page 932 cannot hold still lists;
// a row's relative path has '\' between its folders, as it is shown. The
// texts a row shows and the sheet's own texts are code page 932.

#include "refdata/Catalogue.h"
#include "sheet/FileSystem.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// ---- The walk ----

// How the walk lists a folder: listFolder, or a stand-in.
using FolderLister = std::function<bool(const std::string& folder, std::vector<FolderEntry>& entries)>;

// Subfolders are entered down to this many levels below the folder.
inline constexpr int dollFolderDepth = 3;

struct FoundSheetFile {
    std::string relativePath; // below the folder, "キャンペーンB\リリィ.txt" (UTF-8)
    FileLook look;
};

struct FolderWalk {
    std::vector<FoundSheetFile> files;
    // Relative paths of the folders that could not be listed; "" is the
    // folder itself.
    std::vector<std::string> unreadableFolders;
};

// Every file whose name ends in ".txt" (in any case) in `folder` and in its
// subfolders down to dollFolderDepth levels; reparse points and hidden or
// system entries are neither entered nor listed. Stops early, with what it
// has, once `stop` is set.
FolderWalk walkDollFolder(const std::string& folder, const FolderLister& list, const std::atomic<bool>& stop);

// The file at `relativePath` below `folder`, as this system opens it.
std::string dollFilePath(const std::string& folder, std::string_view relativePath);

// Whether `relativePath` names a file below the folder, never the folder
// itself or a place outside it: one or more names between '\', none of
// them empty, "." or "..", and no drive, stream or '/' in any.
bool namesFileBelowFolder(std::string_view relativePath);

// ---- Reading a sheet ----

// What a row shows of a sheet, code page 932 as in the file.
struct DollSummary {
    std::string dollName;
    std::string position;
    std::string mainClass;
    std::string subClass;
    std::string playerName;
    std::string portraitPath;
    bool operator==(const DollSummary&) const = default;
};

// Larger files are no sheet: reading stops once past the limit.
inline constexpr std::size_t dollSheetByteLimit = std::size_t{4} << 20;

enum class DollRead {
    sheet,
    notSheet, // no sheet, as "開く" judges one; damaged, unreadable for now, or over the limit
    vanished, // nothing at the path any more
};

// Reads the sheet at `sheetPath` (UTF-8) by the sheet reader's own rules;
// its portrait is never loaded. `summary` is filled only for a sheet.
DollRead readDollSheet(const std::string& sheetPath, DollSummary& summary);

// ---- Rows ----

struct DollRow {
    std::string relativePath; // UTF-8, as the walk found it
    FileLook look;
    DollSummary summary;
};

// The texts of a row's columns, code page 932 (a character it lacks shows
// as "？"): the doll's name, or the file's name without ".txt" when the
// doll has none; the path below the folder; the last write time,
// "2026/12/09 14:03".
std::string dollRowName(const DollRow& row);
std::string dollRowFile(const DollRow& row);
std::string dollRowDate(const DollRow& row);
std::string localTimeText(const LocalTime& time);

// ---- Order and search ----

// The columns in the order the list shows them.
enum class DollColumn { name, position, mainClass, subClass, player, file, updated };
inline constexpr std::size_t dollColumnCount = 7;

struct DollOrder {
    DollColumn column = DollColumn::updated;
    bool descending = true;
    bool operator==(const DollOrder&) const = default;
};

// A row's texts folded once for searching and sorting (see foldForSearch):
// every text column, one after another, and where each one's text is.
struct FoldedText {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};
struct FoldedDoll {
    std::string searched;
    std::array<FoldedText, dollColumnCount - 1> columns; // all but the update time
};
FoldedDoll foldDoll(const DollRow& row);

// Every word is found in the row's name, position, classes, player or file
// path; no words match every row.
bool matchesDollSearch(const FoldedDoll& doll, const FoldedWords& words);

// The indices of the rows that match `words`, in `order`; rows that order
// equally stay in the order of their file paths. `folded[i]` is
// foldDoll(rows[i]).
std::vector<std::size_t> shownDolls(const std::vector<DollRow>& rows, const std::vector<FoldedDoll>& folded,
                                    const FoldedWords& words, DollOrder order);

// ---- Copies ----

// The name Explorer gives a copy beside the original: "リリィ.txt" becomes
// "リリィ - コピー.txt", or "リリィ - コピー (2).txt", "(3)" and on while
// `taken` answers true for the name. UTF-8 names. Empty when every number
// up to maxCopyNumber is taken.
inline constexpr int maxCopyNumber = 9999;
std::string copyFileName(std::string_view fileName, const std::function<bool(const std::string&)>& taken);

// ---- Following the folder ----

struct FolderChanges {
    std::vector<FoundSheetFile> toRead; // new, or changed in size or write time
    std::vector<std::string> gone;      // relative paths of known files not found now
};

// What to read again after the walk `now`, given the rows read so far and
// the files already found to be no sheet (each with its look then): a file
// whose size and write time are as they were is not read again.
FolderChanges changesSince(const std::vector<DollRow>& known, const std::vector<FoundSheetFile>& notSheets,
                           const FolderWalk& now);

// Puts first the files that the list shows first in `order`, when the walk
// alone can tell (by update time or by file path), so that the first
// screenful can be read first; other orders keep the files as they are.
void orderForReading(std::vector<FoundSheetFile>& files, DollOrder order);
