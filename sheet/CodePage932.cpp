#include "sheet/CodePage932.h"

#include <cstdint>
#include <vector>

namespace {

// Which ways a pair of the table converts: a code whose character is
// written as another code reads as it only, and a character written as a
// code that reads as another character (or as none) is written so only.
enum Way : std::uint8_t { bothWays, toUnicodeOnly, fromUnicodeOnly };

struct Cp932Pair {
    std::uint16_t bytes; // one byte below 0x100, else lead byte and trail byte
    char16_t character;
    Way way;
};

// Generated at build time from the iconv program's CP932 (cmake/Cp932Table.cmake).
constexpr Cp932Pair cp932Pairs[] = {
#include "Cp932Table.inc"
};

// Every code's character at the code's index and every character's code at
// the character's index, 0 where there is none: one look-up a character, as
// the sheet's long lists want it.
struct Cp932Index {
    std::vector<char16_t> characterOf;
    std::vector<std::uint16_t> bytesOf;
};

const Cp932Index& cp932Index() {
    static const Cp932Index index = [] {
        Cp932Index built{std::vector<char16_t>(0x10000), std::vector<std::uint16_t>(0x10000)};
        for (const Cp932Pair& pair : cp932Pairs) {
            if (pair.way != fromUnicodeOnly)
                built.characterOf[pair.bytes] = pair.character;
            if (pair.way != toUnicodeOnly)
                built.bytesOf[pair.character] = pair.bytes;
        }
        return built;
    }();
    return index;
}

// One step through a UTF-8 text: a character, or the bytes of a broken
// sequence that count as one replaced character.
struct Utf8Step {
    char32_t character;
    std::size_t length;
    bool wellFormed;
};

// The well-formed sequences are those of the Unicode standard: no overlong
// forms, no surrogates, nothing above U+10FFFF. The lead byte decides the
// length and the range of the second byte; every later byte is 80 to BF.
struct Utf8LeadByte {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

Utf8LeadByte utf8LeadByte(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, 0x80, 0xBF};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, 0x80, 0xBF};
    return {0, 0, 0};
}

// A broken sequence is replaced as far as it went right: its lead byte and
// the continuation bytes that were still allowed, or a lone byte.
Utf8Step stepUtf8(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1, true};
    const Utf8LeadByte form = utf8LeadByte(lead);
    if (form.length == 0)
        return {0, 1, false};
    char32_t character = lead & (0x7F >> form.length);
    for (std::size_t i = 1; i < form.length; ++i) {
        if (at + i == text.size())
            return {0, i, false};
        const auto next = static_cast<unsigned char>(text[at + i]);
        const bool allowed =
            i == 1 ? next >= form.secondLow && next <= form.secondHigh : next >= 0x80 && next <= 0xBF;
        if (!allowed)
            return {0, i, false};
        character = character << 6 | (next & 0x3F);
    }
    return {character, form.length, true};
}

void appendCodePage932(std::string& out, char32_t character, const std::vector<std::uint16_t>& bytesOf) {
    if (character < 0x80) {
        out += static_cast<char>(character);
        return;
    }
    const std::uint16_t bytes = character < bytesOf.size() ? bytesOf[character] : 0;
    if (bytes == 0) {
        out += fullWidthQuestionMark;
        return;
    }
    if (bytes > 0xFF)
        out += static_cast<char>(bytes >> 8);
    out += static_cast<char>(bytes & 0xFF);
}

struct Cp932Step {
    char32_t character;
    std::size_t length;
};

// A lead byte without a trail byte after it stands for one broken character
// alone: the byte after it, often a line's ASCII text or a quotation mark,
// is read as itself rather than swallowed.
Cp932Step stepCp932(std::string_view text, std::size_t at, const std::vector<char16_t>& characterOf) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 1;
    unsigned code = lead;
    if (isLeadByte(text[at])) {
        if (at + 1 == text.size() || !isTrailByte(text[at + 1]))
            return {replacementCharacter, 1};
        code = code << 8 | static_cast<unsigned char>(text[at + 1]);
        length = 2;
    }
    const char16_t character = characterOf[code];
    return {character != 0 ? character : replacementCharacter, length};
}

// Writes the character at `out` and gives the end of what it wrote.
char* putUtf8(char* out, char32_t character) {
    if (character < 0x80) {
        *out++ = static_cast<char>(character);
    } else if (character < 0x800) {
        *out++ = static_cast<char>(0xC0 | character >> 6);
        *out++ = static_cast<char>(0x80 | (character & 0x3F));
    } else { // code page 932 has nothing beyond U+FFFF
        *out++ = static_cast<char>(0xE0 | character >> 12);
        *out++ = static_cast<char>(0x80 | (character >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (character & 0x3F));
    }
    return out;
}

} // namespace

bool isUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Step step = stepUtf8(text, at);
        if (!step.wellFormed)
            return false;
        at += step.length;
    }
    return true;
}

std::string wellFormedUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Utf8Step step = stepUtf8(utf8, at);
        if (step.wellFormed)
            out.append(utf8.substr(at, step.length));
        else
            out += "\xEF\xBF\xBD"; // U+FFFD
        at += step.length;
    }
    return out;
}

bool isCodePage932(std::string_view text) {
    const std::vector<char16_t>& characterOf = cp932Index().characterOf;
    for (std::size_t at = 0; at < text.size();) {
        const Cp932Step step = stepCp932(text, at, characterOf);
        if (step.character == replacementCharacter)
            return false;
        at += step.length;
    }
    return true;
}

// ASCII, most of the texts' punctuation and digits, is taken a byte at a
// time without the full step.
std::string utf8ToCodePage932(std::string_view utf8) {
    const std::vector<std::uint16_t>& bytesOf = cp932Index().bytesOf;
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        if (static_cast<unsigned char>(utf8[at]) < 0x80) {
            out += utf8[at++];
            continue;
        }
        const Utf8Step step = stepUtf8(utf8, at);
        if (step.wellFormed)
            appendCodePage932(out, step.character, bytesOf);
        else
            out += fullWidthQuestionMark;
        at += step.length;
    }
    return out;
}

// Room is made at once for the most a text can grow to, three bytes a byte
// (a half-width katakana's one byte, or a lone lead byte's U+FFFD, gives
// three), and what is left over is given back after.
void appendAsUtf8(std::string& utf8, std::string_view codePage932) {
    const std::vector<char16_t>& characterOf = cp932Index().characterOf;
    const std::size_t start = utf8.size();
    utf8.resize(start + codePage932.size() * 3);
    char* end = utf8.data() + start;
    for (std::size_t at = 0; at < codePage932.size();) {
        const Cp932Step step = stepCp932(codePage932, at, characterOf);
        end = putUtf8(end, step.character);
        at += step.length;
    }
    utf8.resize(static_cast<std::size_t>(end - utf8.data()));
}

std::string codePage932ToUtf8(std::string_view text) {
    std::string out;
    appendAsUtf8(out, text);
    return out;
}
