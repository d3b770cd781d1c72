#pragma once

#include <string>
#include <vector>

// Cuts a text at every occurrence of a one-byte delimiter. A text with n
// delimiters always gives n + 1 fields; empty fields are kept, nothing is
// trimmed. An empty delimiter gives the whole text as the only field.
std::vector<std::string> splitFields(std::string text, const std::string& delimiter);
