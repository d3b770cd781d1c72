#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The integer a text begins with, read as base-10 strtol reads it: leading
// white space skipped, an optional sign, then digits up to the first other
// byte. No digits give 0; values beyond 32 bits are clamped to the limit.
std::int32_t parseNumber(std::string_view text);

// Whether the text is a number and nothing else: an optional sign, digits,
// then only blanks (spaces or tabs).
bool isWholeNumber(std::string_view text);

// A 32-bit integer in the given radix (2 to 36), with a leading minus sign
// when negative.
std::string numberToText(std::int32_t value, int radix);
