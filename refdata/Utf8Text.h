#pragma once

// Text that a player saved as UTF-8, taken into code page 932, in which this
// program holds every text.

#include <string>
#include <string_view>

// Whether the text is well-formed UTF-8 (ASCII alone is).
bool isUtf8(std::string_view text);

// The code page 932 text of a UTF-8 text: each character has the bytes that
// Windows gives it, and a character of the JIS mappings that Windows lacks,
// such as U+301C WAVE DASH, has those of its look-alike there. A character
// that code page 932 cannot hold, and each broken piece of a sequence that is
// not UTF-8, becomes a full-width question mark.
std::string utf8ToCodePage932(std::string_view utf8);
