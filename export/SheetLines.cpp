#include "export/SheetLines.h"

std::string labelled(std::string_view label, std::string_view value) {
    std::string line(label);
    if (!value.empty())
        line.append(" ").append(value);
    return line;
}
