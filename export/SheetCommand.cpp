#include "export/SheetCommand.h"

#include "export/PieceArchive.h"
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
    "       velmora-sheet udonarium SHEET... [-o OUT]   (one Udonarium piece ZIP of them all;\n"
    "                                                    without -o, beside the first: SHEET.zip)\n"
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

bool hasExtension(std::string_view path, std::string_view extension) {
    if (path.size() < extension.size())
        return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

// The sheet's path with `extension` in place of its own. A dot is never
// part of a double-byte character, but a separator's byte may be: "ソ" ends
// in 0x5C. A name that only begins with a dot, or has none, has no
// extension.
std::string pathBeside(const std::string& sheetPath, std::string_view extension) {
    const std::string_view name = filePart(sheetPath);
    const std::size_t dot = name.find_last_of('.');
    const std::size_t own = dot == std::string_view::npos || dot == 0 ? 0 : name.size() - dot;
    return sheetPath.substr(0, sheetPath.size() - own).append(extension);
}

// A sheet saved as .html would have its page written over it.
bool writePageBeside(const std::string& sheetPath, std::ostream& out, std::ostream& err) {
    CharacterSheet sheet;
    if (!loadSheetFrom(sheet, sheetPath, err))
        return false;
    if (hasExtension(sheetPath, ".html")) {
        err << "velmora-sheet: " << sheetPath << ": its page would replace the sheet itself\n";
        return false;
    }
    const std::string pagePath = pathBeside(sheetPath, ".html");
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

struct PieceRequest {
    std::vector<std::string> sheets;
    std::string out;
};

// SHEET... [-o OUT], the option anywhere; without it the piece goes beside
// the first sheet.
std::optional<PieceRequest> pieceRequest(std::span<const std::string> arguments) {
    PieceRequest request;
    std::optional<std::string> out;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        if (arguments[at] == "-o" && !out && at + 1 < arguments.size())
            out = arguments[++at];
        else if (!isOption(arguments[at]))
            request.sheets.push_back(arguments[at]);
        else
            return std::nullopt;
    }
    if (request.sheets.empty())
        return std::nullopt;
    request.out = out.value_or(pathBeside(request.sheets.front(), ".zip"));
    return request;
}

void tellWithoutPicture(const PieceDoll& doll, std::ostream& err) {
    err << "velmora-sheet: " << doll.sheetPath << ": its portrait " << doll.sheet->getPortraitPath()
        << " cannot be read; its piece has no picture\n";
}

// Every sheet is read before anything is written: one that cannot be read
// leaves no piece without its doll.
int writePiece(const PieceRequest& request, std::ostream& out, std::ostream& err) {
    std::vector<CharacterSheet> sheets(request.sheets.size());
    bool allRead = true;
    for (std::size_t at = 0; at < sheets.size(); ++at)
        allRead = loadSheetFrom(sheets[at], request.sheets[at], err) && allRead;
    if (!allRead)
        return 1;
    std::vector<PieceDoll> dolls;
    for (std::size_t at = 0; at < sheets.size(); ++at)
        dolls.push_back({&sheets[at], request.sheets[at], PathCode::codePage932});
    const PieceOutcome outcome = writeUdonariumPiece(dolls, request.out, PathCode::codePage932);
    for (const std::size_t doll : outcome.withoutPicture)
        tellWithoutPicture(dolls[doll], err);
    if (outcome.result != PieceOutcome::Result::written) {
        err << "velmora-sheet: " << request.out << ": cannot be written\n";
        return 1;
    }
    out << request.out << "\n";
    return 0;
}

int runPiece(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    const std::optional<PieceRequest> request = pieceRequest(arguments);
    if (!request) {
        err << usage;
        return 2;
    }
    if (std::ranges::find(request->sheets, request->out) != request->sheets.end()) {
        err << "velmora-sheet: " << request->out << ": the piece would replace a sheet itself\n";
        return 2;
    }
    return writePiece(*request, out, err);
}

} // namespace

int runSheetCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << usage;
        return 2;
    }
    if (arguments.front() == "udonarium")
        return runPiece(std::span(arguments).subspan(1), out, err);
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
