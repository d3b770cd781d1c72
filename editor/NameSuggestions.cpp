#include "editor/NameSuggestions.h"

#include "editor/ControlText.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <set>

namespace {

constexpr UINT_PTR suggestionSubclass = 1;
// Enough to choose from; more would only be scrolled past.
constexpr int mostSuggestions = 100;
constexpr int listMargin = 4;

// The list lies over the boxes below the name box, down to the dialog's
// bottom edge.
HWND createList(HWND box) {
    HWND dialog = GetParent(box);
    RECT place{}, client{};
    GetWindowRect(box, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    GetClientRect(dialog, &client);
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, place.left,
                                place.bottom, place.right - place.left,
                                client.bottom - place.bottom - listMargin, dialog, nullptr,
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(box, GWLP_HINSTANCE)), nullptr);
    SendMessageA(list, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
    return list;
}

} // namespace

NameSuggestions::NameSuggestions(HWND box, std::shared_ptr<const LoadedCatalogue> catalogue,
                                 std::vector<std::string> fitting)
    : box(box), list(createList(box)), catalogue(std::move(catalogue)), fitting(std::move(fitting)) {
    SetWindowSubclass(box, boxProc, suggestionSubclass, reinterpret_cast<DWORD_PTR>(this));
}

NameSuggestions::~NameSuggestions() {
    RemoveWindowSubclass(box, boxProc, suggestionSubclass);
    DestroyWindow(list);
}

// Each name once, those of entries that fit the doll first, each part in
// the catalogue's order; the list stays closed when the box is empty or
// already holds the only name offered.
void NameSuggestions::offer() {
    const std::string typed = readControlText(box);
    const std::string prefix = foldForSearch(typed);
    ListBox_ResetContent(list);
    std::set<std::string> offered;
    const std::vector<CatalogueEntry>& entries = catalogue->catalogue.entries;
    for (const bool fittingFirst : {true, false}) {
        for (std::size_t i = 0; i < entries.size() && !typed.empty() && offered.size() < mostSuggestions;
             ++i) {
            const bool fits = std::ranges::find(fitting, entries[i].group) != fitting.end();
            if (fits == fittingFirst && nameBeginsWith(catalogue->folded[i], prefix) &&
                offered.insert(entries[i].entry.name).second)
                ListBox_AddString(list, entries[i].entry.name.c_str());
        }
    }
    const bool complete = offered.size() == 1 && *offered.begin() == typed;
    if (offered.empty() || complete) {
        close();
        return;
    }
    SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(list, nullptr, TRUE);
}

void NameSuggestions::onCommand(HWND from, int notification) {
    if (from == list && notification == LBN_SELCHANGE) {
        take();
        SetFocus(box);
    }
}

bool NameSuggestions::isOpen() const {
    return IsWindowVisible(list) != FALSE;
}

int NameSuggestions::chosenRow() const {
    return ListBox_GetCurSel(list);
}

// Enter belongs to the list while it has a name chosen, Escape while it is
// open; otherwise both are the dialog's OK and Cancel.
bool NameSuggestions::claimsKey(const MSG* message) const {
    if (message == nullptr || message->message != WM_KEYDOWN || !isOpen())
        return false;
    return message->wParam == VK_ESCAPE || (message->wParam == VK_RETURN && chosenRow() >= 0);
}

void NameSuggestions::move(int step) {
    const int count = ListBox_GetCount(list);
    const int row = chosenRow() < 0 ? (step > 0 ? 0 : count - 1) : chosenRow() + step;
    if (row >= 0 && row < count)
        ListBox_SetCurSel(list, row);
}

// The box's change notification follows, as for any text set in it.
void NameSuggestions::take() {
    const int row = chosenRow();
    if (row < 0)
        return;
    std::string name(static_cast<std::size_t>(ListBox_GetTextLen(list, row)), '\0');
    ListBox_GetText(list, row, name.data());
    SetWindowTextA(box, name.c_str());
    Edit_SetSel(box, name.size(), name.size());
    close();
}

void NameSuggestions::close() {
    ShowWindow(list, SW_HIDE);
}

LRESULT NameSuggestions::onBoxMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        if (claimsKey(reinterpret_cast<const MSG*>(lParam)))
            return DefSubclassProc(box, message, wParam, lParam) | DLGC_WANTALLKEYS;
        break;
    case WM_KEYDOWN:
        if (isOpen() && (wParam == VK_DOWN || wParam == VK_UP)) {
            move(wParam == VK_DOWN ? +1 : -1);
            return 0;
        }
        if (isOpen() && wParam == VK_RETURN) {
            take();
            return 0;
        }
        if (isOpen() && wParam == VK_ESCAPE) {
            close();
            return 0;
        }
        break;
    case WM_CHAR:
        // A one-line box has no use for them; it would only beep.
        if (wParam == '\r' || wParam == '\x1b')
            return 0;
        break;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != list)
            close();
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT CALLBACK NameSuggestions::boxProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
    return reinterpret_cast<NameSuggestions*>(self)->onBoxMessage(message, wParam, lParam);
}
