#include "export/SheetCommand.h"

#include "export/SheetOutputs.h"
#include "portrait/PortraitPath.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

namespace {

constexpr std::string_view usage =
    "usage: velmora-sheet text|piece|json|html SHEET [-o OUT]\n"
    "       velmora-sheet SHEET...   (writes SHEET's page as SHEET.html beside it)\n";

// Both JSON outputs are one line: the piece goes to a clipboard, the record
// to other programs, and an indented one is several times slower to write.
std::string pieceOutput(const CharacterSheet& sheet) {
    return sheetPiece(sheet).dump() + "\n";
}

std::string jsonOutput(const CharacterSheet& sheet) {
    return sheetJson(sheet) + "\n";
}

struct Verb {
    std::string_view name;
    std::string (*output)(const CharacterSheet&);
};

constexpr Verb verbs[] = {
    {"text", sheetText}, {"piece", pieceOutput}, {"json", jsonOutput}, {"html", sheetPage}};

const Verb* verbNamed(std::string_view name) {
    for (const Verb& verb : verbs)
        if (verb.name == name)
            return &verb;
    return nullptr;
}

struct OutputRequest {
    std::string sheet;
    std::optional<std::string> out; // standard output when none
};

// SHEET [-o OUT], in either order; anything more or less is no request.
std::optional<OutputRequest> outputRequest(std::span<const std::string> arguments) {
    std::optional<std::string> sheet, out;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        if (arguments[at] == "-o" && !out && at + 1 < arguments.size())
            out = arguments[++at];
        else if (!arguments[at].starts_with("-") && !sheet)
            sheet = arguments[at];
        else
            return std::nullopt;
    }
    if (!sheet)
        return std::nullopt;
    return OutputRequest{*sheet, out};
}

bool loadSheetFrom(CharacterSheet& sheet, const std::string& path, std::ostream& err) {
    if (sheet.loadSheet(path))
        return true;
    err << "velmora-sheet: " << path << ": cannot be read, or is no sheet\n";
    return false;
}

bool writeFile(const std::string& path, std::string_view bytes, std::ostream& err) {
    if (replaceFileContents(path, bytes))
        return true;
    err << "velmora-sheet: " << path << ": cannot be written\n";
    return false;
}

bool writeStream(std::ostream& out, std::string_view bytes, std::ostream& err) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out.flush())
        return true;
    err << "velmora-sheet: the output cannot be written\n";
    return false;
}

int runOutput(const Verb& verb, const OutputRequest& request, std::ostream& out, std::ostream& err) {
    CharacterSheet sheet;
    if (!loadSheetFrom(sheet, request.sheet, err))
        return 1;
    const std::string bytes = verb.output(sheet);
    const bool written = request.out ? writeFile(*request.out, bytes, err) : writeStream(out, bytes, err);
    return written ? 0 : 1;
}

bool hasPageExtension(std::string_view path) {
    constexpr std::string_view page = ".html";
    if (path.size() < page.size())
        return false;
    const std::string_view extension = path.substr(path.size() - page.size());
    return std::equal(extension.begin(), extension.end(), page.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

// The sheet's path with ".html" in place of its extension. A dot is never
// part of a double-byte character, but a separator's byte may be: "ソ" ends
// in 0x5C. A name that only begins with a dot, or has none, has no
// extension.
std::string pagePathBeside(const std::string& sheetPath) {
    const std::string_view name = filePart(sheetPath);
    const std::size_t dot = name.find_last_of('.');
    const std::size_t extension = dot == std::string_view::npos || dot == 0 ? 0 : name.size() - dot;
    return sheetPath.substr(0, sheetPath.size() - extension) + ".html";
}

// A sheet saved as .html would have its page written over it.
bool writePageBeside(const std::string& sheetPath, std::ostream& out, std::ostream& err) {
    CharacterSheet sheet;
    if (!loadSheetFrom(sheet, sheetPath, err))
        return false;
    if (hasPageExtension(sheetPath)) {
        err << "velmora-sheet: " << sheetPath << ": its page would replace the sheet itself\n";
        return false;
    }
    const std::string pagePath = pagePathBeside(sheetPath);
    if (!writeFile(pagePath, sheetPage(sheet), err))
        return false;
    out << pagePath << "\n";
    return true;
}

// Windows drops every file on the program at once: each gets its page, and
// one that fails does not stop the others.
int writePagesBeside(std::span<const std::string> sheetPaths, std::ostream& out, std::ostream& err) {
    bool allWritten = true;
    for (const std::string& path : sheetPaths)
        allWritten = writePageBeside(path, out, err) && allWritten;
    return allWritten ? 0 : 1;
}

bool isOption(const std::string& argument) {
    return argument.starts_with("-");
}

} // namespace

int runSheetCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << usage;
        return 2;
    }
    if (const Verb* verb = verbNamed(arguments.front())) {
        const std::optional<OutputRequest> request = outputRequest(std::span(arguments).subspan(1));
        if (!request) {
            err << usage;
            return 2;
        }
        if (request->out == request->sheet) {
            err << "velmora-sheet: " << request->sheet << ": the output would replace the sheet itself\n";
            return 2;
        }
        return runOutput(*verb, *request, out, err);
    }
    if (std::ranges::any_of(arguments, isOption)) {
        err << usage;
        return 2;
    }
    return writePagesBeside(arguments, out, err);
}
