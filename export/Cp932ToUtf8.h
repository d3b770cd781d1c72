#pragma once

#include <string>
#include <string_view>

// The UTF-8 text of a code page 932 text, each character as Windows converts
// it; a byte sequence that is no code page 932 character becomes U+FFFD.
std::string codePage932ToUtf8(std::string_view text);
