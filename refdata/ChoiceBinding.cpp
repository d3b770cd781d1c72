#include "refdata/ChoiceBinding.h"

#include "editor/ControlText.h"
#include "editor/SheetForm.h"
#include "refdata/ReferenceData.h"

#include <vector>

void fillPositionCombo() {
    for (const PositionData& entry : positionTable)
        SendMessageA(sheetForm.positionCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
}

void fillClassCombos() {
    for (const ClassData& entry : classTable) {
        SendMessageA(sheetForm.mainClassCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
        SendMessageA(sheetForm.subClassCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
    }
}

std::string readComboText(HWND combo) {
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return readControlText(combo);
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR)
        return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void reselectChoice(HWND combo, const std::string& name) {
    SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
}
