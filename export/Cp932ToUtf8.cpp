#include "export/Cp932ToUtf8.h"

#include <algorithm>
#include <cstdint>

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
static_assert(std::ranges::is_sorted(cp932Characters, {}, &Cp932Character::bytes));

constexpr char32_t replacementCharacter = 0xFFFD;

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

char32_t characterOf(std::uint16_t bytes) {
    const auto* found = std::ranges::lower_bound(cp932Characters, bytes, {}, &Cp932Character::bytes);
    if (found == std::end(cp932Characters) || found->bytes != bytes)
        return replacementCharacter;
    return found->character;
}

struct Cp932Step {
    char32_t character;
    std::size_t length;
};

// A lead byte without a trail byte after it stands for one broken character
// alone: the byte after it, often a line's ASCII text or a quotation mark,
// is read as itself rather than swallowed.
Cp932Step stepCp932(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1};
    if (!isLeadByte(lead))
        return {characterOf(lead), 1};
    if (at + 1 == text.size() || !isTrailByte(static_cast<unsigned char>(text[at + 1])))
        return {replacementCharacter, 1};
    return {characterOf(static_cast<std::uint16_t>(lead << 8 | static_cast<unsigned char>(text[at + 1]))), 2};
}

void appendUtf8(std::string& out, char32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | character >> 6);
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | character >> 12);
        out += static_cast<char>(0x80 | (character >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

} // namespace

std::string codePage932ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (std::size_t at = 0; at < text.size();) {
        const Cp932Step step = stepCp932(text, at);
        appendUtf8(out, step.character);
        at += step.length;
    }
    return out;
}
