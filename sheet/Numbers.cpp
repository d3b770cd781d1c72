#include "sheet/Numbers.h"

#include <limits>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSign(char c) {
    return c == '+' || c == '-';
}

} // namespace

bool isWholeNumber(std::string_view text) {
    std::size_t at = !text.empty() && isSign(text[0]) ? 1 : 0;
    const std::size_t digitsFrom = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    if (at == digitsFrom)
        return false;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    return at == text.size();
}

std::int32_t parseNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && isSign(text[at]))
        negative = text[at++] == '-';
    // Accumulate the magnitude in 64 bits and stop growing once it is past
    // the 32-bit range, so any number of digits is safe.
    constexpr std::int64_t beyond = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        if (magnitude <= beyond)
            magnitude = magnitude * 10 + (text[at] - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::string numberToText(std::int32_t value, int radix) {
    if (radix < 2 || radix > 36)
        radix = 10;
    // Work on the magnitude in 64 bits: the magnitude of INT32_MIN has no
    // 32-bit representation.
    std::int64_t magnitude = value < 0 ? -std::int64_t{value} : std::int64_t{value};
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[magnitude % radix]);
        magnitude /= radix;
    } while (magnitude != 0);
    if (value < 0)
        digits.insert(digits.begin(), '-');
    return digits;
}
