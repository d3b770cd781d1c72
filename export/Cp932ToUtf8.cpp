#include "export/Cp932ToUtf8.h"

#include <cstdint>
#include <vector>

namespace {

struct Cp932Character {
    std::uint16_t bytes; // one byte below 0x100, else lead byte and trail byte
    char16_t character;
};

// Generated at build time from the iconv program's CP932
// (cmake/Cp932ToUnicodeTable.cmake).
constexpr Cp932Character cp932Characters[] = {
#include "Cp932ToUnicodeTable.inc"
};

constexpr char32_t replacementCharacter = 0xFFFD;

// Every code's character at the code's own index, 0 where it has none: one
// look-up a character, as the sheet's long lists want it.
const std::vector<char16_t>& charactersByCode() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> characters(0x10000);
        for (const Cp932Character& code : cp932Characters)
            characters[code.bytes] = code.character;
        return characters;
    }();
    return table;
}

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

struct Cp932Step {
    char32_t character;
    std::size_t length;
};

// A lead byte without a trail byte after it stands for one broken character
// alone: the byte after it, often a line's ASCII text or a quotation mark,
// is read as itself rather than swallowed.
Cp932Step stepCp932(std::string_view text, std::size_t at, const std::vector<char16_t>& characters) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 1;
    unsigned code = lead;
    if (isLeadByte(lead)) {
        if (at + 1 == text.size() || !isTrailByte(static_cast<unsigned char>(text[at + 1])))
            return {replacementCharacter, 1};
        code = code << 8 | static_cast<unsigned char>(text[at + 1]);
        length = 2;
    }
    const char16_t character = characters[code];
    return {character != 0 ? character : replacementCharacter, length};
}

void appendUtf8(std::string& out, char32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | character >> 6);
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else { // code page 932 has nothing beyond U+FFFF
        out += static_cast<char>(0xE0 | character >> 12);
        out += static_cast<char>(0x80 | (character >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

} // namespace

std::string codePage932ToUtf8(std::string_view text) {
    const std::vector<char16_t>& characters = charactersByCode();
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (std::size_t at = 0; at < text.size();) {
        const Cp932Step step = stepCp932(text, at, characters);
        appendUtf8(out, step.character);
        at += step.length;
    }
    return out;
}
