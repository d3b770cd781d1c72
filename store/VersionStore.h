#pragma once

// The versions of the user's sheets in %LOCALAPPDATA%\Velmora\Versions,
// beside the recovery copies: the bytes each write over a sheet file
// replaced. Paths are the program's code page 932 paths; the store itself is
// reached through Windows' Unicode functions. Every window of the program
// keeps and deletes under one lock, so two saving at once both keep theirs.

#include "sheet/FileSystem.h" // localTimeOf, for a version's savedAt
#include "store/SheetVersions.h"
#include "store/VersionDifference.h" // what the list tells beside each version

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The sheet's name in the store: its full path resolved and its case
// folded, so that another case, a short name, `..` or a mapped drive name
// the same sheet; empty for a sheet never saved.
std::string sheetKeyOf(const std::string& sheetPath);

// Just before the sheet file at `sheetPath` is replaced by `newBytes`: keeps
// its present bytes. Nothing to keep when there is no file, when it holds
// `newBytes` already or when a version holds its bytes; failed when the
// store could not be written (no profile, the disk full), and the save
// still goes on.
VersionKept keepVersionBeforeSave(const std::string& sheetPath, std::string_view newBytes);

// Newest first; none for a sheet never saved ("").
std::vector<SheetVersionEntry> versionsOf(const std::string& sheetPath);
// The version's bytes as they were kept; nothing when it is gone or damaged.
std::optional<std::string> versionBytes(const std::string& sheetPath, const std::string& id);
// True when the version is no longer kept.
bool deleteVersion(const std::string& sheetPath, const std::string& id);
