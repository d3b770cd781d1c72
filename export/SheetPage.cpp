#include "export/SheetOutputs.h"

#include "export/PagePortrait.h"
#include "export/SheetLines.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

// One A4 sheet holds a full doll: the names, fields, karma and portrait in
// a band across the top, then the memories and regrets beside the skills,
// then the four part lists two by two; a long skill list lengthens the
// regrets' row, so that the regrets stay right below the memories. Rows and
// the short blocks are never cut across pages, while a list goes on over the
// next page with its header repeated: kept whole, a list longer than a page
// would first push everything beside it onto a page of its own. Only fonts
// the reader's machine has are named.
constexpr std::string_view pageStyle = R"(
@page { size: A4 portrait; margin: 9mm 8mm; }
* { box-sizing: border-box; }
html { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { margin: 0; color: #1d1a1c; font: 8pt/1.25 "Yu Gothic", YuGothic, "Meiryo", "Hiragino Kaku Gothic ProN",
  "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", sans-serif; }
@media screen { html { background: #8a8486; } body { width: 210mm; min-height: 297mm; margin: 6mm auto;
  padding: 9mm 8mm; background: #fff; } }
.sheet { display: grid; gap: 3.5mm 4mm; grid-template-columns: 1fr 1fr 58mm 32mm; grid-template-areas:
  "identity identity karma portrait" "identity identity action portrait" "memories memories skills skills"
  "regrets regrets skills skills" "head head arms arms" "torso torso legs legs";
  grid-template-rows: auto auto auto 1fr auto auto; align-items: start; }
.identity, .karma, .portrait, .memories, .regrets, .action, tr { break-inside: avoid; }
h2 { margin: 0 0 0.8mm; padding: 0 0 0.3mm 1.2mm; font-size: 9pt; color: #5b1f33; border-left: 1.2mm solid #5b1f33;
  border-bottom: 0.25mm solid #5b1f33; break-after: avoid; }
table { width: 100%; border-collapse: collapse; table-layout: fixed; border: 0.3mm solid #4a4246; }
thead { display: table-header-group; }
th, td { padding: 0.4mm 0.9mm; border: 0.2mm solid #b3aaae; text-align: left; vertical-align: top;
  overflow-wrap: anywhere; }
th { background: #efe8ea; font-weight: bold; font-size: 7.5pt; color: #3b2a31; white-space: nowrap; }
td.number, th.number { text-align: center; }
.box { display: inline-block; width: 2.9mm; height: 2.9mm; margin-right: 0.4mm; border: 0.25mm solid #3b2a31;
  font-size: 7pt; line-height: 2.5mm; text-align: center; vertical-align: -0.4mm; }
.identity { grid-area: identity; }
.doll { display: flex; align-items: baseline; gap: 2.5mm; margin-bottom: 1.5mm; padding-bottom: 0.8mm;
  border-bottom: 0.5mm solid #5b1f33; }
.doll .label, .player .label { font-size: 7pt; color: #5b1f33; font-weight: bold; }
.doll .name { font-size: 16pt; font-weight: bold; letter-spacing: 0.05em; }
.player { margin: 0 0 1.5mm; font-size: 9pt; }
.fields th { width: 17mm; }
.karma { grid-area: karma; }
.karma td { height: 5mm; }
.portrait { grid-area: portrait; width: 32mm; height: 39.4mm; border: 0.4mm solid #1d1a1c; background: #fff; }
.portrait img { display: block; width: 100%; height: 100%; object-fit: contain; }
.memories { grid-area: memories; } .skills { grid-area: skills; } .regrets { grid-area: regrets; }
.action { grid-area: action; } .head { grid-area: head; } .arms { grid-area: arms; }
.torso { grid-area: torso; } .legs { grid-area: legs; }
.action th { width: 17mm; }
.choice { margin-right: 2.5mm; white-space: nowrap; }
.total { font-size: 10pt; font-weight: bold; }
col.mark { width: 5mm; } col.name { width: 21mm; } col.timing { width: 15mm; } col.cost { width: 10mm; }
col.range { width: 9.5mm; } col.title { width: 27mm; } col.count { width: 8mm; } col.target { width: 19mm; }
col.to { width: 6mm; } col.feeling { width: 14mm; } col.madness { width: 17.5mm; }
td.to { color: #6d6166; text-align: center; padding-left: 0; padding-right: 0; }
td.mark { text-align: center; }
td.madness { white-space: nowrap; }
)";

// Whatever a sheet from a stranger holds stays text: every character that
// could begin or end markup or an attribute becomes a reference.
constexpr AsciiEscapes htmlEscapes = [] {
    AsciiEscapes escapes{};
    escapes['&'] = "&amp;";
    escapes['<'] = "&lt;";
    escapes['>'] = "&gt;";
    escapes['"'] = "&quot;";
    escapes['\''] = "&#39;";
    return escapes;
}();

// The one way text enters the page.
void appendEscaped(std::string& page, std::string_view utf8) {
    const std::size_t start = page.size();
    page += utf8;
    escapeAsciiFrom(page, start, htmlEscapes);
}

// A text of the record, or a label: the compiler keeps labels in code page
// 932 as the record keeps its texts.
void appendText(std::string& page, std::string_view codePage932) {
    appendEscapedUtf8(page, codePage932, htmlEscapes);
}

// `<tag attributes>text</tag>`, where the attributes are the page's own
// markup and never a text of the sheet.
void element(std::string& page, std::string_view tag, std::string_view text,
             std::string_view attributes = {}) {
    page.append("<").append(tag).append(attributes).append(">");
    appendText(page, text);
    page.append("</").append(tag).append(">");
}

void numberCell(std::string& page, std::int64_t value) {
    element(page, "td", std::to_string(value), " class=\"number\"");
}

// A box to tick with a pen, or ticked already.
void appendBox(std::string& page, bool ticked) {
    page += ticked ? "<span class=\"box\">&#x2713;</span>" : "<span class=\"box\"></span>";
}

void openSection(std::string& page, std::string_view cssClass, std::string_view title) {
    page.append("<section class=\"").append(cssClass).append("\">");
    element(page, "h2", title);
}

// The table's column classes, which the style sheet gives their widths,
// and its header labels; a label may be empty.
struct Column {
    std::string_view cssClass;
    std::string_view label;
};

// A table under a section's title, its header repeated on every page it
// runs over; with `marked`, a first column of boxes before the columns.
template <std::size_t count>
void openListSection(std::string& page, std::string_view cssClass, std::string_view title,
                     const Column (&columns)[count], bool marked = false) {
    openSection(page, cssClass, title);
    page += marked ? "<table><colgroup><col class=\"mark\">" : "<table><colgroup>";
    for (const Column& column : columns)
        page.append("<col class=\"").append(column.cssClass).append("\">");
    page += marked ? "</colgroup><thead><tr><th></th>" : "</colgroup><thead><tr>";
    for (const Column& column : columns)
        element(page, "th", column.label);
    page += "</tr></thead><tbody>";
}

void closeListSection(std::string& page) {
    page += "</tbody></table></section>\n";
}

void appendHead(std::string& page, std::string_view title) {
    page += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width\">\n";
    element(page, "title", title);
    page.append("\n<style>").append(pageStyle).append("</style>\n</head>\n");
}

void fieldRow(std::string& page, std::string_view label, std::string_view text, std::string_view numberLabel,
              std::int32_t number) {
    page += "<tr>";
    element(page, "th", label);
    element(page, "td", text);
    element(page, "th", numberLabel);
    numberCell(page, number);
    page += "</tr>";
}

void appendIdentity(std::string& page, const CharacterSheet& sheet) {
    page += "<section class=\"identity\"><div class=\"doll\">";
    element(page, "span", "ドール名", " class=\"label\"");
    element(page, "span", sheet.getDollName(), " class=\"name\"");
    page += "</div><div class=\"player\">";
    element(page, "span", "プレイヤー名", " class=\"label\"");
    page += " ";
    element(page, "span", sheet.getPlayerName());
    page += "</div><table class=\"fields\"><tbody><tr>";
    element(page, "th", "寵愛点");
    numberCell(page, sheet.getFavorPoints());
    element(page, "th", "享年");
    element(page, "td", sheet.getAgeAtDeath());
    page += "</tr><tr>";
    element(page, "th", "暗示");
    element(page, "td", sheet.getSuggestion(), " colspan=\"3\"");
    page += "</tr>";
    fieldRow(page, "ポジション", sheet.getPosition(), "武装", sheet.getArmament());
    fieldRow(page, "メインクラス", sheet.getMainClass(), "変異", sheet.getMutation());
    fieldRow(page, "サブクラス", sheet.getSubClass(), "改造", sheet.getModification());
    page += "</tbody></table></section>\n";
}

// The form's karma boxes are not kept in the record: the page leaves them
// for the player's pen.
void appendKarma(std::string& page, const CharacterSheet& sheet) {
    openSection(page, "karma", "カルマ");
    page += "<table><colgroup><col class=\"mark\"><col></colgroup><tbody>";
    for (const std::string& line : sheet.getKarma()) {
        page += "<tr><td class=\"mark\">";
        appendBox(page, false);
        page += "</td>";
        element(page, "td", line);
        page += "</tr>";
    }
    page += "</tbody></table></section>\n";
}

void appendPortrait(std::string& page, const CharacterSheet& sheet) {
    page += "<div class=\"portrait\">";
    const std::string picture = portraitDataUrl(sheet.getPortraitPath(), sheet.getPortraitSheetPath());
    if (!picture.empty()) {
        page += "<img alt=\"\" src=\"";
        appendEscaped(page, picture);
        page += "\">";
    }
    page += "</div>\n";
}

void appendMemories(std::string& page, const CharacterSheet& sheet) {
    openListSection(page, "memories", "記憶のカケラ",
                    {{"title", "タイトル"}, {"count", "番号"}, {"content", "記憶の内容"}});
    for (const MemoryFragment& row : sheet.getMemories()) {
        page += "<tr>";
        element(page, "td", row.title);
        numberCell(page, row.number);
        element(page, "td", row.content);
        page += "</tr>";
    }
    closeListSection(page);
}

constexpr Column entryColumns[] = {
    {"name", "名称"}, {"timing", "タイミング"}, {"cost", "コスト"}, {"range", "射程"}, {"effect", "効果"}};

// Skills and parts share their five cells.
template <typename Entry> void appendEntryCells(std::string& page, const Entry& entry) {
    for (const std::string* text : {&entry.name, &entry.timing, &entry.cost, &entry.range, &entry.effect})
        element(page, "td", *text);
}

void appendSkills(std::string& page, const CharacterSheet& sheet) {
    openListSection(page, "skills", "スキル", entryColumns);
    for (const SkillEntry& entry : sheet.getSkills()) {
        page += "<tr>";
        appendEntryCells(page, entry);
        page += "</tr>";
    }
    closeListSection(page);
}

// The record may hold any number; the form ticks at most its four boxes.
constexpr int madnessBoxes = 4;

void appendRegrets(std::string& page, const CharacterSheet& sheet) {
    openListSection(
        page, "regrets", "未練",
        {{"target", "対象"}, {"to", ""}, {"feeling", "内容"}, {"madness", ""}, {"effect", "発狂"}});
    for (const Regret& row : sheet.getRegrets()) {
        page += "<tr>";
        element(page, "td", row.target);
        element(page, "td", "への", " class=\"to\"");
        element(page, "td", row.content);
        page += "<td class=\"madness\">";
        const int ticked = std::clamp(row.madnessPoints, 0, madnessBoxes);
        for (int box = 0; box < madnessBoxes; ++box)
            appendBox(page, box < ticked);
        page += "</td>";
        element(page, "td", row.madnessEffect);
        page += "</tr>";
    }
    closeListSection(page);
}

constexpr std::string_view placementNames[] = {"煉獄", "花園", "楽園"};

void appendAction(std::string& page, const CharacterSheet& sheet) {
    const std::int32_t bonus = sheet.getMaxActionBonus();
    page += "<section class=\"action\"><table><tbody><tr>";
    element(page, "th", "最大行動値");
    page += "<td>";
    appendText(page, (bonus < 0 ? "6" : "6+") + std::to_string(bonus) + "=");
    element(page, "span", std::to_string(maxActionOf(sheet)), " class=\"total\"");
    page += "</td></tr><tr>";
    element(page, "th", "初期配置");
    page += "<td>";
    for (std::size_t choice = 0; choice < std::size(placementNames); ++choice) {
        page += "<span class=\"choice\">";
        appendBox(page, sheet.getInitialPlacement() == static_cast<std::int32_t>(choice));
        appendText(page, placementNames[choice]);
        page += "</span>";
    }
    page += "</td></tr></tbody></table></section>\n";
}

void appendParts(std::string& page, const CharacterSheet& sheet, const LocationLabels& where) {
    openListSection(page, where.key, where.listLabel, entryColumns, true);
    for (const PartEntry& entry : sheet.getParts(where.location)) {
        page += "<tr><td class=\"mark\">";
        appendBox(page, entry.checkMark != 0);
        page += "</td>";
        appendEntryCells(page, entry);
        page += "</tr>";
    }
    closeListSection(page);
}

// Room for the page at once: a page of thousands of entries would
// otherwise be copied over and over as it grows.
std::size_t pageBytesFor(const CharacterSheet& sheet) {
    std::size_t entries = sheet.getSkills().size();
    for (BodyLocation location : bodyLocations)
        entries += sheet.getParts(location).size();
    return pageStyle.size() + 8192 + 192 * entries;
}

// One doll's sheet; `attributes` are the page's own markup.
void appendSheet(std::string& page, const CharacterSheet& sheet, std::string_view attributes) {
    page.append("<main class=\"sheet\"").append(attributes).append(">\n");
    appendIdentity(page, sheet);
    appendKarma(page, sheet);
    appendPortrait(page, sheet);
    appendMemories(page, sheet);
    appendSkills(page, sheet);
    appendRegrets(page, sheet);
    appendAction(page, sheet);
    for (const LocationLabels& where : locationLabels)
        appendParts(page, sheet, where);
    page += "</main>\n";
}

} // namespace

std::string sheetPage(const CharacterSheet& sheet) {
    std::string page;
    page.reserve(pageBytesFor(sheet));
    appendHead(page, sheet.getDollName());
    page += "<body>\n";
    appendSheet(page, sheet, {});
    page += "</body>\n</html>\n";
    return page;
}

std::string sheetsPage(const std::vector<const CharacterSheet*>& sheets) {
    std::string page;
    std::size_t bytes = 0;
    for (const CharacterSheet* sheet : sheets)
        bytes += pageBytesFor(*sheet);
    page.reserve(bytes);
    appendHead(page, "ドール一覧");
    page += "<body>\n";
    for (const CharacterSheet* sheet : sheets)
        appendSheet(page, *sheet, sheet == sheets.front() ? "" : " style=\"break-before: page\"");
    page += "</body>\n</html>\n";
    return page;
}
