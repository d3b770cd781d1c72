#include "portrait/PortraitPath.h"

#include "sheet/CodePage932.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

bool startsWithDrive(std::string_view path) {
    return path.size() >= 2 && upper(path[0]) >= 'A' && upper(path[0]) <= 'Z' && path[1] == ':';
}

std::string_view trimEnd(std::string_view text, std::string_view blanks) {
    const std::size_t end = text.find_last_not_of(blanks);
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// The name after a path's drive and its last separator. In code page 932 a
// lead byte and the trail byte after it are one character, whose trail byte
// may be a backslash; a lead byte before any other byte is a character
// alone, as codePage932ToUtf8 reads it. In UTF-8 no byte of a longer
// character is ASCII, so every separator byte is one.
std::string_view namePart(std::string_view path, bool codePage932) {
    if (startsWithDrive(path))
        path.remove_prefix(2);
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (codePage932 && isLeadByte(path[i]) && i + 1 < path.size() && isTrailByte(path[i + 1]))
            ++i;
        else if (isSeparator(path[i]))
            start = i + 1;
    }
    return path.substr(start);
}

// codePage932ToUtf8 reads a lead byte without its trail byte as a character
// of its own, while Windows' conversion, which the narrow file functions
// use, may take the byte after it into the same character (Wine's does): the
// two would not agree on the separators and names of such a path.
bool hasLoneLeadByte(std::string_view path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (!isLeadByte(path[i]))
            continue;
        if (i + 1 < path.size() && !isTrailByte(path[i + 1]))
            return true;
        ++i;
    }
    return false;
}

PortraitPathKind classifyLocal(std::string_view unicodePath) {
    return isReservedDeviceName(namePart(unicodePath, false)) ? PortraitPathKind::notAFile
                                                              : PortraitPathKind::localFile;
}

// After \\?\ or \??\ comes an object name: a drive path is a file, UNC\ is
// a share, anything else (GLOBALROOT, a volume, a pipe) is no file.
PortraitPathKind classifyObjectName(std::string_view rest) {
    if (startsWithDrive(rest) && (rest.size() == 2 || isSeparator(rest[2])))
        return classifyLocal(rest);
    if (rest.size() >= 4 && equalsIgnoringCase(rest.substr(0, 3), "UNC") && isSeparator(rest[3]))
        return PortraitPathKind::network;
    return PortraitPathKind::notAFile;
}

// \\x\ where x is "." or "?": the device or object namespace.
bool startsWithNamespace(std::string_view path, char marker) {
    return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && path[2] == marker &&
           (path.size() == 3 || isSeparator(path[3]));
}

// Only a plain file counts as found: a folder, a device or a pipe that a
// sheet's path reaches is as good as nothing there.
bool somethingIsAt(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The path as it is opened, in UTF-8 (a UTF-8 path as it is), judged on its
// characters: every separator byte is a separator.
PortraitPathKind classifyUnicodePath(std::string_view path) {
    // The file functions stop at a NUL, so the file opened would not be the
    // one judged here.
    if (path.find('\0') != std::string_view::npos)
        return PortraitPathKind::notAFile;
    if (startsWithNamespace(path, '.'))
        return PortraitPathKind::notAFile;
    if (startsWithNamespace(path, '?'))
        return classifyObjectName(path.substr(std::min<std::size_t>(path.size(), 4)));
    if (path.size() >= 4 && isSeparator(path[0]) && path.substr(1, 2) == "??" && isSeparator(path[3]))
        return classifyObjectName(path.substr(4));
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]))
        return PortraitPathKind::network;
    return classifyLocal(path);
}

// The sheet's folder is where the player opened it from, a share on another
// machine included; only the name comes from the sheet, and a device's name
// is no file in any folder.
std::optional<std::string> besideSheet(const std::string& sheetPath, std::string_view name) {
    if (sheetPath.empty() || name.empty())
        return std::nullopt;
    const std::string path =
        sheetPath.substr(0, sheetPath.size() - filePart(sheetPath).size()) + std::string(name);
    if (classifyPortraitPath(path) == PortraitPathKind::notAFile)
        return std::nullopt;
    return path;
}

// A UTF-8 sheet path is cut at its last separator: no byte of a UTF-8
// character is one. Its folder is judged apart from the name, whose code
// page 932 a UTF-8 folder in front would confuse.
std::optional<std::string> besideListedSheet(const std::string& sheetPathUtf8, std::string_view name) {
    if (sheetPathUtf8.empty() || name.empty())
        return std::nullopt;
    const std::string folder = sheetPathUtf8.substr(0, sheetPathUtf8.find_last_of("\\/") + 1);
    if (classifyUnicodePath(folder) == PortraitPathKind::notAFile ||
        classifyPortraitPath(name) == PortraitPathKind::notAFile)
        return std::nullopt;
    return folder + codePage932ToUtf8(name);
}

// The portrait's own path first, then the file of its name beside the sheet.
template <class IsAt>
std::optional<std::string> firstPlaceFound(std::optional<std::string> atPath,
                                           std::optional<std::string> beside, const IsAt& somethingIsAt) {
    if (atPath && somethingIsAt(*atPath))
        return atPath;
    if (beside && somethingIsAt(*beside))
        return beside;
    return std::nullopt;
}

std::optional<std::string> ownPlace(const std::string& portraitPath,
                                    std::string (*toPath)(std::string_view)) {
    if (classifyPortraitPath(portraitPath) != PortraitPathKind::localFile)
        return std::nullopt;
    return toPath(portraitPath);
}

std::string asItIs(std::string_view path) {
    return std::string(path);
}

} // namespace

bool isReservedDeviceName(std::string_view name) {
    name = trimEnd(name, ". ");
    name = trimEnd(name.substr(0, name.find_first_of(".:")), " ");
    static constexpr std::array<std::string_view, 6> plainNames = {"CON", "PRN",    "AUX",
                                                                   "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view reserved : plainNames) {
        if (equalsIgnoringCase(name, reserved))
            return true;
    }
    const bool numberedPort =
        name.size() == 4 && name[3] >= '0' && name[3] <= '9' &&
        (equalsIgnoringCase(name.substr(0, 3), "COM") || equalsIgnoringCase(name.substr(0, 3), "LPT"));
    return numberedPort;
}

std::string_view filePart(std::string_view path) {
    return namePart(path, true);
}

std::string_view folderPart(std::string_view path) {
    return path.substr(0, path.size() - filePart(path).size());
}

// Judged on the characters that are opened, the path's Unicode form, not on
// its bytes.
PortraitPathKind classifyPortraitPath(std::string_view path) {
    if (hasLoneLeadByte(path))
        return PortraitPathKind::notAFile;
    return classifyUnicodePath(codePage932ToUtf8(path));
}

std::optional<std::string> findSheetPortrait(const std::string& sheetPath, const std::string& portraitPath) {
    return firstPlaceFound(ownPlace(portraitPath, asItIs), besideSheet(sheetPath, filePart(portraitPath)),
                           somethingIsAt);
}

std::optional<std::string>
findListedSheetPortrait(const std::string& sheetPathUtf8, const std::string& portraitPath,
                        const std::function<bool(const std::string&)>& somethingIsAt) {
    return firstPlaceFound(ownPlace(portraitPath, codePage932ToUtf8),
                           besideListedSheet(sheetPathUtf8, filePart(portraitPath)), somethingIsAt);
}
