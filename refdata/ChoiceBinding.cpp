#include "refdata/ChoiceBinding.h"

namespace {

void addName(HWND combo, const std::string& name) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

// A text of `length` bytes fetched by `fetch` into a buffer one byte longer,
// up to its first zero byte.
template <class Fetch> std::string fetchedText(LRESULT length, Fetch fetch) {
    if (length < 0)
        return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    fetch(text.data(), static_cast<int>(text.size()));
    return text.data();
}

} // namespace

void fillPositionCombo(HWND positionCombo, const std::vector<PositionData>& table) {
    for (const PositionData& entry : table)
        addName(positionCombo, entry.name);
}

void fillClassCombos(HWND mainClassCombo, HWND subClassCombo, const std::vector<ClassData>& table) {
    for (const ClassData& entry : table) {
        addName(mainClassCombo, entry.name);
        addName(subClassCombo, entry.name);
    }
}

std::string readComboText(HWND combo) {
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return fetchedText(GetWindowTextLengthA(combo),
                           [combo](char* text, int size) { GetWindowTextA(combo, text, size); });
    return fetchedText(SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0), [combo, selected](char* text, int) {
        SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
    });
}

void reselectChoice(HWND combo, const std::string& name) {
    SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
}
