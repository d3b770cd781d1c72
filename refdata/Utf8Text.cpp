#include "refdata/Utf8Text.h"

#include <algorithm>
#include <cstdint>

namespace {

struct Cp932Code {
    char32_t character;
    std::uint16_t bytes; // one byte below 0x100, else lead byte and trail byte
};

// Generated at build time from the iconv program's CP932 (cmake/Cp932Table.cmake).
constexpr Cp932Code cp932Codes[] = {
#include "Cp932Table.inc"
};
static_assert(std::ranges::is_sorted(cp932Codes, {}, &Cp932Code::character));

// "？", spelled out: the fuzz build's compiler keeps literals in UTF-8.
constexpr std::string_view fullWidthQuestionMark = "\x81\x48";

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
struct LeadByte {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

LeadByte leadByte(unsigned char lead) {
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
    const LeadByte form = leadByte(lead);
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

void appendCodePage932(std::string& out, char32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
        return;
    }
    const auto* found = std::ranges::lower_bound(cp932Codes, character, {}, &Cp932Code::character);
    if (found == std::end(cp932Codes) || found->character != character) {
        out += fullWidthQuestionMark;
        return;
    }
    if (found->bytes > 0xFF)
        out += static_cast<char>(found->bytes >> 8);
    out += static_cast<char>(found->bytes & 0xFF);
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

std::string utf8ToCodePage932(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Utf8Step step = stepUtf8(utf8, at);
        if (step.wellFormed)
            appendCodePage932(out, step.character);
        else
            out += fullWidthQuestionMark;
        at += step.length;
    }
    return out;
}
