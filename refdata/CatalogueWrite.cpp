#include "refdata/CatalogueWrite.h"

#include "sheet/CodePage932.h"
#include "sheet/EntryClipboard.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

// An entry's line as a spreadsheet's copy has it, in UTF-8, its control
// characters made spaces.
std::string tabSeparatedLine(const PartEntry& entry) {
    std::string line = entriesAsText({entry});
    line.resize(line.size() - 2); // its CR LF
    return line;
}

// One entry as it will stand in the file.
struct EntryLine {
    PartEntry entry;
    std::string utf8;
    std::string foldedName;
};

// An entry that its line would not read back as, unticked, cannot go in:
// the reader takes the blanks off a line's ends and control characters
// out, and reads a line as a comment or a heading by how it begins.
std::optional<EntryLine> entryLineOf(const PartEntry& entry) {
    PartEntry unticked = entry;
    unticked.checkMark = 0;
    std::string line = tabSeparatedLine(unticked);
    const std::optional<CatalogueLine> read = readCatalogueLine(line);
    if (!read || read->entry != unticked)
        return std::nullopt;
    std::string foldedName = foldForSearch(unticked.name);
    return EntryLine{std::move(unticked), std::move(line), std::move(foldedName)};
}

// The title that "[heading]" reads back as; empty when it reads as none.
// A line break typed into the box would end the heading's line.
std::string headingTitleOf(std::string_view heading) {
    std::string utf8 = "[";
    appendAsUtf8(utf8, heading);
    std::ranges::replace_if(
        utf8, [](char byte) { return byte == '\r' || byte == '\n'; }, ' ');
    utf8 += ']';
    const std::optional<CatalogueLine> read = readCatalogueLine(utf8);
    return read ? read->heading : std::string();
}

std::string inEncoding(std::string_view utf8, bool fileIsUtf8) {
    return fileIsUtf8 ? std::string(utf8) : utf8ToCodePage932(utf8);
}

struct BodyLine {
    std::string_view text;
    std::string_view lineEnd; // empty for a last line without one
};

std::vector<BodyLine> linesOf(std::string_view body) {
    std::vector<BodyLine> lines;
    for (std::size_t at = 0; at < body.size();) {
        const TextLine line = lineAt(body, at);
        const std::size_t end = at + line.text.size();
        lines.push_back({line.text, body.substr(end, line.next - end)});
        at = line.next;
    }
    return lines;
}

// New lines end as the file's first line does; a file of one line or none
// as a new file's lines do.
std::string_view lineEndOf(const std::vector<BodyLine>& lines) {
    return lines.empty() || lines.front().lineEnd.empty() ? std::string_view("\r\n") : lines.front().lineEnd;
}

// Where the heading's entries stand: the first line of each folded name,
// and the last line of any.
struct HeadingEntries {
    std::map<std::string, std::size_t> lineOfName;
    std::optional<std::size_t> lastLine;
};

HeadingEntries entriesUnder(const CatalogueLayout& layout, const std::string& title) {
    HeadingEntries found;
    const std::vector<CatalogueEntry>& entries = layout.catalogue.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].group != title)
            continue;
        found.lineOfName.try_emplace(foldForSearch(entries[i].entry.name), layout.entryLines[i]);
        found.lastLine = std::max(found.lastLine.value_or(0), layout.entryLines[i]);
    }
    return found;
}

// New entries follow the heading's last entry; under no heading they go
// before the first heading, and a heading not there yet goes at the end.
std::size_t insertionLine(const CatalogueLayout& layout, const std::string& title,
                          const HeadingEntries& under, std::size_t lineCount) {
    if (under.lastLine)
        return *under.lastLine + 1;
    if (title.empty())
        return layout.headingLines.empty() ? lineCount : layout.headingLines.front().line;
    for (const CatalogueLayout::Heading& heading : layout.headingLines)
        if (heading.title == title)
            return heading.line + 1;
    return lineCount;
}

bool hasHeading(const CatalogueLayout& layout, const std::string& title) {
    return title.empty() || std::ranges::any_of(layout.headingLines, [&](const CatalogueLayout::Heading& h) {
               return h.title == title;
           });
}

// Later entries of a name take the place of earlier ones.
std::vector<EntryLine> entryLinesOf(const std::vector<PartEntry>& entries, std::size_t& leftOut) {
    std::vector<EntryLine> lines;
    for (const PartEntry& entry : entries) {
        std::optional<EntryLine> line = entryLineOf(entry);
        if (!line) {
            ++leftOut;
            continue;
        }
        const auto same = std::ranges::find(lines, line->foldedName, &EntryLine::foldedName);
        if (same != lines.end())
            *same = std::move(*line);
        else
            lines.push_back(std::move(*line));
    }
    return lines;
}

// What becomes of a file's lines: some replaced, new ones before one.
struct LineChanges {
    std::map<std::size_t, std::string> replacements; // by line
    std::vector<std::string> insertions;
    std::size_t insertAt = 0;
};

// A file whose last line had no line end keeps it so; other lines keep
// theirs, and new lines take `lineEnd`.
std::string textWith(const std::vector<BodyLine>& lines, const LineChanges& changes,
                     std::string_view lineEnd) {
    std::vector<BodyLine> written;
    for (std::size_t n = 0; n <= lines.size(); ++n) {
        if (n == changes.insertAt)
            for (const std::string& inserted : changes.insertions)
                written.push_back({inserted, lineEnd});
        if (n == lines.size())
            break;
        const auto replacement = changes.replacements.find(n);
        written.push_back({replacement != changes.replacements.end() ? replacement->second : lines[n].text,
                           lines[n].lineEnd});
    }
    const bool endsOpen = !lines.empty() && lines.back().lineEnd.empty();
    std::string text;
    for (std::size_t i = 0; i < written.size(); ++i) {
        text += written[i].text;
        if (!endsOpen || i + 1 < written.size())
            text += written[i].lineEnd.empty() ? lineEnd : written[i].lineEnd;
    }
    return text;
}

// Every entry registered reads back under its heading from the new text: a
// code page 932 text could, say, come to read as UTF-8.
bool readsBack(const CatalogueRegistration& registration) {
    const Catalogue back = readCatalogueText(registration.text);
    return std::ranges::all_of(registration.registered, [&](const PartEntry& entry) {
        return std::ranges::any_of(back.entries, [&](const CatalogueEntry& read) {
            return read.group == registration.heading && read.entry == entry;
        });
    });
}

CatalogueRegistration failed(CatalogueProblem problem) {
    CatalogueRegistration registration;
    registration.problem = problem;
    return registration;
}

} // namespace

CatalogueRegistration registerEntries(std::string_view old, const std::vector<PartEntry>& entries,
                                      std::string_view heading) {
    const CatalogueLayout layout = readCatalogueLayout(old);
    if (layout.catalogue.problem != CatalogueProblem::none)
        return failed(layout.catalogue.problem);
    CatalogueRegistration registration;
    registration.heading = headingTitleOf(heading);
    const std::string& title = registration.heading;
    const std::vector<BodyLine> lines = linesOf(old.substr(layout.bodyStart));
    const std::string_view lineEnd = lineEndOf(lines);
    const HeadingEntries under = entriesUnder(layout, title);

    LineChanges changes;
    for (EntryLine& line : entryLinesOf(entries, registration.leftOut)) {
        std::string bytes = inEncoding(line.utf8, layout.utf8);
        if (const auto found = under.lineOfName.find(line.foldedName); found != under.lineOfName.end()) {
            changes.replacements[found->second] = std::move(bytes);
            ++registration.replaced;
        } else {
            changes.insertions.push_back(std::move(bytes));
            ++registration.added;
        }
        registration.registered.push_back(std::move(line.entry));
    }
    if (!changes.insertions.empty() && !hasHeading(layout, title))
        changes.insertions.insert(changes.insertions.begin(),
                                  inEncoding("[" + codePage932ToUtf8(title) + "]", layout.utf8));

    changes.insertAt = insertionLine(layout, title, under, lines.size());
    registration.text = std::string(old.substr(0, layout.bodyStart)) + textWith(lines, changes, lineEnd);
    if (registration.text.size() > catalogueByteLimit)
        return failed(CatalogueProblem::tooLarge);
    if (!readsBack(registration))
        return failed(CatalogueProblem::notReadBack);
    return registration;
}

std::string registrationSummary(const CatalogueRegistration& registration, std::string_view path) {
    const std::string where(path);
    if (registration.problem != CatalogueProblem::none)
        return catalogueProblemText(registration.problem) + ": " + where;
    std::string summary = registration.registered.empty()
                              ? std::string("登録できる項目がありません")
                              : std::to_string(registration.registered.size()) + " 件を " + where +
                                    (registration.heading.empty() ? " の見出しのない所"
                                                                  : " の [" + registration.heading + "]") +
                                    " に登録します";
    if (registration.replaced > 0)
        summary += "（うち " + std::to_string(registration.replaced) + " 件は置き換え）";
    if (registration.leftOut > 0)
        summary += "。" + std::to_string(registration.leftOut) + " 件は一行に書けないため登録しません";
    return summary;
}

CatalogueRegistration registerInCatalogue(const std::string& path, const std::vector<PartEntry>& entries,
                                          std::string_view heading,
                                          const std::function<void()>& beforeReplace) {
    constexpr int attempts = 5;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const FileLook look = lookAtFile(path);
        if (look.kind == FileLook::Kind::other)
            return failed(CatalogueProblem::missing);
        if (look.readOnly)
            return failed(CatalogueProblem::readOnly);
        CatalogueFile file;
        if (look.kind == FileLook::Kind::file &&
            (file = readCatalogueFile(path)).problem != CatalogueProblem::none)
            return failed(file.problem);
        CatalogueRegistration registration = registerEntries(file.bytes, entries, heading);
        if (registration.problem != CatalogueProblem::none || registration.registered.empty() ||
            (look.kind == FileLook::Kind::file && registration.text == file.bytes))
            return registration;
        const auto unchanged = [&] {
            if (beforeReplace)
                beforeReplace();
            if (lookAtFile(path) != look)
                return false;
            const CatalogueFile now = readCatalogueFile(path);
            return look.kind == FileLook::Kind::none ||
                   (now.problem == CatalogueProblem::none && now.bytes == file.bytes);
        };
        const Replacement replacement = replaceFileContentsIf(path, registration.text, unchanged);
        if (replacement == Replacement::failed)
            return failed(CatalogueProblem::notWritten);
        // Another writer may have replaced it in turn; merging again keeps both.
        const CatalogueFile now = readCatalogueFile(path);
        if (replacement == Replacement::done && now.problem == CatalogueProblem::none &&
            now.bytes == registration.text)
            return registration;
    }
    return failed(CatalogueProblem::keptChanging);
}
