#include "editor/ControlText.h"

#include "sheet/Numbers.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Where each character of a code page 932 text begins, and where it ends.
std::vector<std::size_t> characterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size();) {
        starts.push_back(at);
        at += IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
    }
    starts.push_back(text.size());
    return starts;
}

// One text seen character by character.
struct Characters {
    explicit Characters(const std::string& text) : text(text), starts(characterStarts(text)) {}

    std::size_t count() const { return starts.size() - 1; }
    std::string_view at(std::size_t character) const {
        return std::string_view(text).substr(starts[character], starts[character + 1] - starts[character]);
    }

    const std::string& text;
    std::vector<std::size_t> starts;
};

// The characters from `front` up to the end of each text that are not at
// the ends both texts share.
struct ChangedPart {
    std::size_t front, shownEnd, wantedEnd;
};

// Where one text becomes the other, in characters. Where the change could
// stand in more than one place, as a letter typed beside its twin, it is
// taken where it ends at the caret, as the keystroke that made or unmade it
// left it.
ChangedPart changedPart(const Characters& shown, const Characters& wanted, std::size_t caret) {
    const std::size_t shorter = std::min(shown.count(), wanted.count());
    std::size_t front = 0;
    while (front < shorter && shown.at(front) == wanted.at(front))
        ++front;
    std::size_t back = 0;
    while (back < shorter && shown.at(shown.count() - 1 - back) == wanted.at(wanted.count() - 1 - back))
        ++back;
    if (front + back > shorter) {
        const std::size_t removed = shown.count() - shorter;
        front = std::clamp(caret > removed ? caret - removed : 0, shorter - back, front);
        back = shorter - front;
    }
    return {front, shown.count() - back, wanted.count() - back};
}

// The box's length in the units of its positions: a box that keeps its
// text in UTF-16, as Wine's does, counts characters; one that keeps code
// page 932 counts bytes.
LRESULT lengthInPositions(HWND box) {
    const LRESULT lastLine = SendMessageA(box, EM_GETLINECOUNT, 0, 0) - 1;
    const LRESULT lastLineStart = SendMessageA(box, EM_LINEINDEX, static_cast<WPARAM>(lastLine), 0);
    return lastLineStart + SendMessageA(box, EM_LINELENGTH, static_cast<WPARAM>(lastLineStart), 0);
}

} // namespace

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

void showEditedText(HWND box, const std::string& text) {
    const std::string shownText = readControlText(box);
    if (shownText == text)
        return;
    const Characters shown(shownText), wanted(text);
    const bool countsBytes = lengthInPositions(box) == static_cast<LRESULT>(shownText.size());
    const auto position = [countsBytes](const Characters& of, std::size_t character) {
        return countsBytes ? of.starts[character] : character;
    };
    if (position(wanted, wanted.count()) >
        static_cast<std::size_t>(SendMessageA(box, EM_GETLIMITTEXT, 0, 0))) {
        SetWindowTextA(box, text.c_str());
        return;
    }
    DWORD selectionStart = 0, caret = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart), reinterpret_cast<LPARAM>(&caret));
    const std::size_t caretCharacter =
        countsBytes
            ? static_cast<std::size_t>(std::upper_bound(shown.starts.begin(), shown.starts.end(), caret) -
                                       shown.starts.begin() - 1)
            : caret;
    const ChangedPart part = changedPart(shown, wanted, caretCharacter);
    const std::string replacement =
        text.substr(wanted.starts[part.front], wanted.starts[part.wantedEnd] - wanted.starts[part.front]);
    const std::size_t start = position(shown, part.front), end = position(shown, part.shownEnd);
    // Selecting moves the caret, a trip to the window manager: a letter put
    // back at the caret needs none.
    if (start != selectionStart || end != caret)
        SendMessageA(box, EM_SETSEL, start, static_cast<LPARAM>(end));
    SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(replacement.c_str()));
}
