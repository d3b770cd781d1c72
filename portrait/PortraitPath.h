#pragma once

// What a portrait path names, judged on its text alone, before anything is
// opened: a sheet file comes from another player, and its portrait line must
// not make the program wait on a pipe or a device, nor connect to a server.
// And where, within those bounds, a sheet's portrait is looked for.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

enum class PortraitPathKind {
    localFile, // a drive or relative path whose file part is an ordinary name
    network,   // a share on another machine: \\server\share, //server, \\?\UNC\...
    notAFile,  // the device namespace, a reserved device name, a NUL byte
};

// Judged on the characters that the code page 932 path is opened as: a 0x5C
// byte that ends a double-byte character is no separator, and a path with a
// lead byte before a byte that can end no character, which readers of code
// page 932 split differently, is no file.
PortraitPathKind classifyPortraitPath(std::string_view path);

// Whether Windows opens `name` as a device in every folder, whatever follows
// it after a dot or a colon; trailing dots and spaces are dropped first.
bool isReservedDeviceName(std::string_view name);

// The file name at the end of a path, after its drive and its last
// separator, with the same care for double-byte characters: a lead byte
// before a byte that can end no character is a character of its own.
std::string_view filePart(std::string_view path);
// What comes before it: the drive and the folders, with the last separator.
std::string_view folderPart(std::string_view path);

// Where the portrait of the sheet file at `sheetPath`, whose portrait line
// reads `portraitPath`, lies on this machine. Players pass a sheet on with
// its picture beside it, while the line keeps the full path on the first
// player's disk: so when no plain file is at that path (nothing, or a
// folder, a device), or it is a path a sheet may not open, the file of the
// same name in the sheet's own folder is looked for. What is found may still
// be no picture. Nothing when neither place holds a plain file, or the only
// place is one a sheet may not open.
std::optional<std::string> findSheetPortrait(const std::string& sheetPath, const std::string& portraitPath);
// The same for a sheet whose path is UTF-8 (found in a folder listed by
// its Unicode names), whose places are looked at with `somethingIsAt`, which
// must answer true for a plain file alone: answers a UTF-8 path.
std::optional<std::string>
findListedSheetPortrait(const std::string& sheetPathUtf8, const std::string& portraitPath,
                        const std::function<bool(const std::string&)>& somethingIsAt);
