#include "sheet/FieldSplitter.h"

std::vector<std::string> splitFields(std::string text, const std::string& delimiter) {
    std::vector<std::string> fields;
    if (delimiter.empty()) {
        fields.push_back(std::move(text));
        return fields;
    }
    // The delimiters are ASCII, which never occurs as the trail byte of a
    // code page 932 character, so a byte search never cuts a character.
    const char cut = delimiter.front();
    std::string::size_type start = 0;
    for (auto at = text.find(cut); at != std::string::npos; at = text.find(cut, start)) {
        fields.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    fields.push_back(text.substr(start));
    return fields;
}
