#include "editor/ControlText.h"

#include "sheet/Numbers.h"

#include <vector>

std::string readControlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    return text.data();
}

bool writeControlNumber(HWND control, std::int32_t value) {
    const std::string shown = readControlText(control);
    if (parseNumber(shown) != value) {
        SetWindowTextA(control, numberToText(value, 10).c_str());
        return true;
    }
    // "―" is what a number box holds after the user pasted a dash into it.
    if (shown.empty() || shown == "―") {
        SetWindowTextA(control, "0");
        return true;
    }
    return false;
}
