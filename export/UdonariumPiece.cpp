#include "export/UdonariumPiece.h"

#include "export/SheetLines.h"

#include <array>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

namespace {

// What the document holds for a text's ASCII bytes, as the rooms have
// always been given it: a control byte is left out, never written, save the
// line feeds between the rows of a note or of the palette; a text keeps its
// quotation marks, and an attribute, between double ones, its closing angle
// brackets.
constexpr AsciiEscapes xmlEscapes(bool attribute, bool keepLineFeeds) {
    AsciiEscapes escapes{};
    for (int byte = 0; byte < 0x20; ++byte)
        escapes[byte] = "";
    escapes[0x7F] = "";
    escapes['&'] = "&amp;";
    escapes['<'] = "&lt;";
    escapes[attribute ? '"' : '>'] = attribute ? "&quot;" : "&gt;";
    escapes['\n'] = keepLineFeeds ? nullptr : "";
    return escapes;
}

constexpr AsciiEscapes textEscapes = xmlEscapes(false, false), rowEscapes = xmlEscapes(false, true),
                       attributeEscapes = xmlEscapes(true, false);

std::string xmlOf(std::string_view codePage932, const AsciiEscapes& escapes) {
    std::string xml;
    appendEscapedUtf8(xml, codePage932, escapes);
    return xml;
}

// An attribute's name and its value in code page 932.
using Attributes = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// The document written as it is made, indented two blanks a level: a tree
// of the thousands of rows built first and then written took longer than
// reading the sheet. A leaf's text stands between its tags on their line,
// so that no blank comes around it.
class XmlDocument {
public:
    explicit XmlDocument(std::size_t expectedBytes) {
        text.reserve(expectedBytes);
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    }

    void open(std::string_view element, Attributes attributes) {
        startTag(element, attributes);
        text += '\n';
        ++depth;
    }

    void close(std::string_view element) {
        --depth;
        text.append(2 * depth, ' ');
        endTag(element);
    }

    void leaf(std::string_view element, Attributes attributes, std::string_view codePage932) {
        leafOf(element, attributes,
               [codePage932](std::string& xml) { appendEscapedUtf8(xml, codePage932, textEscapes); });
    }

    // A leaf whose text `write` puts in, already as the document holds it.
    template <class Write> void leafOf(std::string_view element, Attributes attributes, const Write& write) {
        startTag(element, attributes);
        write(text);
        endTag(element);
    }

    std::string text;

private:
    void startTag(std::string_view element, Attributes attributes) {
        text.append(2 * depth, ' ').append("<").append(element);
        for (const auto& [name, value] : attributes) {
            text.append(" ").append(name).append("=\"");
            appendEscapedUtf8(text, value, attributeEscapes);
            text += '"';
        }
        text += '>';
    }

    void endTag(std::string_view element) { text.append("</").append(element).append(">\n"); }

    std::size_t depth = 0;
};

// The rows of a long list, each converted once for both the note and the
// palette that show it. A part's row begins with the mark of its box, which
// the note shows and the palette does not.
struct XmlRows {
    struct Row {
        std::size_t start;
        std::size_t line; // after the mark
        std::size_t end;
    };
    std::string xml; // the rows one after another
    std::vector<Row> rows;

    std::string_view marked(const Row& row) const {
        return std::string_view(xml).substr(row.start, row.end - row.start);
    }
    std::string_view line(const Row& row) const {
        return std::string_view(xml).substr(row.line, row.end - row.line);
    }
};

// A ticked part is marked as the form's box in its name cell shows it.
std::string_view markOf(const PartEntry& part) {
    static const std::string ticked = xmlOf("■", rowEscapes), unticked = xmlOf("□", rowEscapes);
    return part.checkMark != 0 ? ticked : unticked;
}

std::string_view markOf(const SkillEntry&) {
    return {};
}

template <class Entry> XmlRows chatRows(const std::vector<Entry>& entries) {
    XmlRows rows;
    rows.rows.reserve(entries.size());
    std::string line;
    for (const Entry& entry : entries) {
        const std::size_t start = rows.xml.size();
        rows.xml.append(markOf(entry));
        line.clear();
        appendChatLine(line, entry);
        const std::size_t lineStart = rows.xml.size();
        appendEscapedUtf8(rows.xml, line, rowEscapes);
        rows.rows.push_back({start, lineStart, rows.xml.size()});
    }
    return rows;
}

struct ChatRows {
    XmlRows skills;
    std::array<XmlRows, std::size(locationLabels)> parts; // in the order of locationLabels

    std::size_t bytes() const {
        std::size_t total = skills.xml.size() + skills.rows.size();
        for (const XmlRows& rows : parts)
            total += rows.xml.size() + rows.rows.size();
        return total;
    }
};

ChatRows chatRowsOf(const CharacterSheet& sheet) {
    ChatRows rows{chatRows(sheet.getSkills()), {}};
    for (std::size_t at = 0; at < rows.parts.size(); ++at)
        rows.parts[at] = chatRows(sheet.getParts(locationLabels[at].location));
    return rows;
}

// A section holding one multi-line text, the rows of a list; the line
// feeds between the rows are the note's own. `writeRows` puts them in.
template <class WriteRows>
void noteOf(XmlDocument& document, std::string_view name, const WriteRows& writeRows) {
    document.open("data", {{"name", name}});
    document.leafOf("data", {{"type", "note"}, {"name", name}}, writeRows);
    document.close("data");
}

// The rows the chat text writes for a list, each ended by a line feed.
void note(XmlDocument& document, std::string_view name,
          void (*appendRows)(std::string&, const CharacterSheet&), const CharacterSheet& sheet) {
    std::string rows;
    appendRows(rows, sheet);
    if (!rows.empty())
        rows.pop_back();
    noteOf(document, name, [&rows](std::string& xml) { appendEscapedUtf8(xml, rows, rowEscapes); });
}

// A long list's rows, a part's with its mark.
void note(XmlDocument& document, std::string_view name, const XmlRows& rows) {
    noteOf(document, name, [&rows](std::string& xml) {
        for (const XmlRows::Row& row : rows.rows)
            xml.append(row.start == 0 ? "" : "\n").append(rows.marked(row));
    });
}

void numberResource(XmlDocument& document, std::string_view name, std::int64_t current, std::int64_t max) {
    document.leaf("data",
                  {{"type", "numberResource"}, {"name", name}, {"currentValue", std::to_string(current)}},
                  std::to_string(max));
}

// The action value, then a madness track for each regret that has a target,
// as the CCFOLIA piece's status has them.
void resources(XmlDocument& document, const CharacterSheet& sheet) {
    document.open("data", {{"name", "リソース"}});
    const std::int64_t maxAction = maxActionOf(sheet);
    numberResource(document, "行動値", maxAction, maxAction);
    for (const Regret& row : sheet.getRegrets())
        if (!row.target.empty())
            numberResource(document, row.target, row.madnessPoints, 4);
    document.close("data");
}

void information(XmlDocument& document, const CharacterSheet& sheet) {
    document.open("data", {{"name", "情報"}});
    const std::pair<std::string_view, std::string> leaves[] = {
        {"プレイヤー名", sheet.getPlayerName()},
        {"享年", sheet.getAgeAtDeath()},
        {"暗示", sheet.getSuggestion()},
        {"ポジション", sheet.getPosition()},
        {"メインクラス", sheet.getMainClass()},
        {"サブクラス", sheet.getSubClass()},
        {"初期配置", std::string(placementName(sheet.getInitialPlacement()))},
        {"寵愛点", std::to_string(sheet.getFavorPoints())},
        {"武装", std::to_string(sheet.getArmament())},
        {"変異", std::to_string(sheet.getMutation())},
        {"改造", std::to_string(sheet.getModification())},
    };
    for (const auto& [name, value] : leaves)
        document.leaf("data", {{"name", name}}, value);
    document.close("data");
}

void notes(XmlDocument& document, const CharacterSheet& sheet, const ChatRows& rows) {
    note(document, "カルマ", appendKarmaLines, sheet);
    note(document, "記憶のカケラ", appendMemoryLines, sheet);
    note(document, "未練", appendRegretLines, sheet);
    note(document, "スキル", rows.skills);
    for (std::size_t at = 0; at < rows.parts.size(); ++at)
        note(document, locationLabels[at].name, rows.parts[at]);
}

void characterData(XmlDocument& document, const CharacterSheet& sheet, std::string_view imageIdentifier,
                   const ChatRows& rows) {
    document.open("data", {{"name", "character"}});
    document.open("data", {{"name", "image"}});
    document.leaf("data", {{"type", "image"}, {"name", "imageIdentifier"}}, imageIdentifier);
    document.close("data");
    document.open("data", {{"name", "common"}});
    document.leaf("data", {{"name", "name"}}, sheet.getDollName());
    document.leaf("data", {{"name", "size"}}, "1");
    document.close("data");
    document.open("data", {{"name", "detail"}});
    resources(document, sheet);
    information(document, sheet);
    notes(document, sheet, rows);
    document.close("data");
    document.close("data");
}

// A group of the palette under its heading; an empty list has none.
void appendGroup(std::string& xml, std::string_view heading, const XmlRows& rows) {
    if (rows.rows.empty())
        return;
    appendEscapedUtf8(xml, heading, rowEscapes);
    xml += '\n';
    for (const XmlRows::Row& row : rows.rows)
        xml.append(rows.line(row)).append("\n");
}

// The lines of chatPalette, the skills first, then the parts under their
// locations.
void palette(XmlDocument& document, const ChatRows& rows) {
    document.leafOf("chat-palette", {{"dicebot", ""}}, [&rows](std::string& xml) {
        appendGroup(xml, "スキル", rows.skills);
        for (std::size_t at = 0; at < rows.parts.size(); ++at)
            appendGroup(xml, locationLabels[at].name, rows.parts[at]);
    });
}

} // namespace

std::string udonariumCharacter(const CharacterSheet& sheet, std::string_view imageIdentifier) {
    const ChatRows rows = chatRowsOf(sheet);
    // The long lists' rows go in twice, in the notes and in the palette;
    // the rest of the document is small beside them.
    XmlDocument document(2 * rows.bytes() + 16384);
    document.open("character", {{"location.name", "table"},
                                {"location.x", "0"},
                                {"location.y", "0"},
                                {"posZ", "0"},
                                {"rotate", "0"},
                                {"roll", "0"}});
    characterData(document, sheet, imageIdentifier, rows);
    palette(document, rows);
    document.close("character");
    return std::move(document.text);
}
