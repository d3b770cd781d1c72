#pragma once

// Code page 932, in which this program holds every text, and UTF-8, in which
// players save lists and in which the sheet's outputs go out: both ways
// through one table made from the iconv program's CP932 at build time.

#include <string>
#include <string_view>

// A byte that begins a character of two bytes, and the bytes that may end
// one.
constexpr bool isLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

constexpr bool isTrailByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// What stands for a character that the other side cannot hold: U+FFFD in
// UTF-8, and "？" in code page 932, spelled out since the fuzz build's
// compiler keeps literals in UTF-8.
inline constexpr char32_t replacementCharacter = 0xFFFD;
inline constexpr std::string_view fullWidthQuestionMark = "\x81\x48";

// Whether the text is well-formed UTF-8 (ASCII alone is).
bool isUtf8(std::string_view text);

// The UTF-8 text with each broken piece of a sequence replaced by U+FFFD,
// as code page 932 would replace it; a well-formed text comes back as it is.
std::string wellFormedUtf8(std::string_view utf8);

// Whether every byte or pair of bytes of the text is a character of code
// page 932: no lead byte without its trail byte, no code the page leaves empty.
bool isCodePage932(std::string_view text);

// The code page 932 text of a UTF-8 text: each character has the bytes that
// Windows gives it, and a character of the JIS mappings that Windows lacks,
// such as U+301C WAVE DASH, has those of its look-alike there. A character
// that code page 932 cannot hold, and each broken piece of a sequence that is
// not UTF-8, becomes a full-width question mark.
std::string utf8ToCodePage932(std::string_view utf8);

// The UTF-8 text of a code page 932 text, each character as Windows converts
// it; a byte sequence that is no code page 932 character becomes U+FFFD.
std::string codePage932ToUtf8(std::string_view text);

// The same text put at the end of `utf8`: a writer of many short texts
// converts each into one buffer rather than into a string of its own.
void appendAsUtf8(std::string& utf8, std::string_view codePage932);
