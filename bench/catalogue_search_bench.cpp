// One more character typed into the catalogue dialog's search, in a
// catalogue of 500 and of 5,000 entries, until the list shows its matches
// (the list and the line below it painted), against its floor: a bare
// dialog of the same template with nothing behind its box but an
// owner-data list of as many rows, the same rows, fed the same character
// in the same run. Then the matching alone, the program's search of the
// folded entries, against a plain scan of the same texts for the word.

#include "editor/CatalogueDialog.h"
#include "editor/Catalogues.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "Figures.h"
#include "WindowTesting.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr const char* timings[] = {"オート", "アクション", "ジャッジ", "ダメージ", "ラピッド"};
constexpr const char* groups[] = {"頭", "腕", "胴", "脚"};
// Every seventh entry has the word the search ends on; every eleventh
// another that the search matches until its last character.
constexpr const char* typedBefore = "白兵";
constexpr const char* typedCharacter = "攻";
constexpr const char* word = "白兵攻";
constexpr int typingRuns = 21;

struct BenchEntry {
    std::string name, timing, effect, group;
};

std::vector<BenchEntry> benchEntries(int count) {
    std::vector<BenchEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({"パーツ" + std::to_string(i), timings[i % 5],
                           (i % 7 == 0    ? "白兵攻撃"
                            : i % 11 == 0 ? "白兵防御"
                                          : "支援") +
                               std::to_string(i % 3 + 1) + "、移動" + std::to_string(i % 4),
                           groups[i % 4]});
    return entries;
}

// The catalogue file: a heading before each group's entries, so that the
// dialog lists them group by group.
std::vector<BenchEntry> writeCatalogue(const std::vector<BenchEntry>& entries) {
    std::string file;
    std::vector<BenchEntry> inFileOrder;
    for (const char* group : groups) {
        file += std::string("[") + group + "]\r\n";
        for (const BenchEntry& entry : entries) {
            if (entry.group == group) {
                file += entry.name + "\t" + entry.timing + "\t1\t0\t" + entry.effect + "\r\n";
                inFileOrder.push_back(entry);
            }
        }
    }
    std::filesystem::create_directory("Database");
    if (std::FILE* out = std::fopen("Database\\パーツ.txt", "wb")) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    return inFileOrder;
}

// The entries whose texts hold `text`, as a plain scan finds them.
std::vector<const BenchEntry*> plainScan(const std::vector<BenchEntry>& entries, std::string_view text) {
    std::vector<const BenchEntry*> found;
    for (const BenchEntry& entry : entries) {
        for (std::string_view field : {entry.name, entry.timing, entry.effect, entry.group}) {
            if (field.find(text) != std::string_view::npos) {
                found.push_back(&entry);
                break;
            }
        }
    }
    return found;
}

// The floor's own state: the rows it shows for the search before the
// character and after it.
struct BareDialog {
    std::vector<const BenchEntry*> before, after;
    const std::vector<const BenchEntry*>* shown = &before;
};

const std::string& bareColumnText(const BenchEntry& entry, int column) {
    static const std::string cost = "1", range = "0", none;
    switch (column) {
    case 0: return entry.name;
    case 1: return entry.timing;
    case 2: return cost;
    case 3: return range;
    case 4: return entry.effect;
    case 5: return entry.group;
    }
    return none;
}

void showBareRows(HWND dialog, BareDialog& state) {
    char search[64];
    GetDlgItemTextA(dialog, IDC_CATALOGUE_SEARCH, search, sizeof search);
    state.shown = std::string_view(search) == word ? &state.after : &state.before;
    ListView_SetItemCountEx(GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES), static_cast<int>(state.shown->size()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES), nullptr, TRUE);
    SetDlgItemTextA(dialog, IDC_CATALOGUE_SUMMARY, (std::to_string(state.shown->size()) + " 件").c_str());
}

void giveBareRowText(NMLVDISPINFOA& request, const BareDialog& state) {
    LVITEMA& item = request.item;
    if ((item.mask & LVIF_TEXT) != 0 && item.iItem >= 0 &&
        static_cast<std::size_t>(item.iItem) < state.shown->size())
        lstrcpynA(
            item.pszText,
            bareColumnText(*(*state.shown)[static_cast<std::size_t>(item.iItem)], item.iSubItem).c_str(),
            item.cchTextMax);
}

INT_PTR CALLBACK bareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* state = reinterpret_cast<BareDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (state == nullptr)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CATALOGUE_SEARCH && HIWORD(wParam) == EN_CHANGE)
            showBareRows(dialog, *state);
        break;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOA)
            giveBareRowText(*reinterpret_cast<NMLVDISPINFOA*>(lParam), *state);
        break;
    }
    return FALSE;
}

// The floor takes the list's columns and look from the program's dialog.
void copyColumns(HWND from, HWND to) {
    ListView_SetExtendedListViewStyle(to, ListView_GetExtendedListViewStyle(from));
    char title[64];
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    for (int index = 0; ListView_GetColumn(from, index, &column); ++index)
        ListView_InsertColumn(to, index, &column);
}

// The last character typed after the same start, until the dialog has
// painted what it shows for it.
double typedMs(HWND dialog) {
    HWND search = GetDlgItem(dialog, IDC_CATALOGUE_SEARCH);
    SetWindowTextA(search, typedBefore);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double start = nowMs();
    SendMessageA(search, EM_SETSEL, 64, 64);
    SendMessageA(search, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typedCharacter));
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return nowMs() - start;
}

struct Typing {
    BareDialog* bare = nullptr;
    FigureRuns runs;
    int shown = 0;
};
Typing typing;

// Runs inside the program's dialog's own loop: the character typed into it
// and into the floor beside it in turns; then the dialog closes.
void CALLBACK typeIntoDialogs(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = FindWindowA("#32770", "カタログ");
    HWND bare = CreateDialogParamA(GetModuleHandleA(nullptr), "CATALOGDLG", GetWindow(dialog, GW_OWNER),
                                   bareDialogProc, reinterpret_cast<LPARAM>(typing.bare));
    copyColumns(GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES), GetDlgItem(bare, IDC_CATALOGUE_ENTRIES));
    // Side by side, so that neither covers the other's paint. The program's
    // dialog would show only once its loop first waits: shown now, both
    // paint what a user sees.
    RECT size;
    GetWindowRect(dialog, &size);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetWindowPos(bare, nullptr, size.right - size.left + 10, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    pumpMessages();
    typing.runs = takeRuns(
        [&] {
            const double program = typedMs(dialog);
            return std::pair(program, typedMs(bare));
        },
        typingRuns);
    typing.shown = ListView_GetItemCount(GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES));
    DestroyWindow(bare);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// The program's search of its folded entries for the word, as the dialog
// runs it on a new search, against the plain scan.
void compareMatching(const std::vector<BenchEntry>& entries) {
    const std::shared_ptr<const LoadedCatalogue> loaded = catalogueOf(CatalogueKind::parts);
    constexpr int searches = 20;
    std::size_t found = 0, plainFound = 0;
    const FigureRuns runs = takeRuns([&] {
        double start = nowMs();
        for (int i = 0; i < searches; ++i) {
            const FoldedWords words = searchWords(word);
            found = static_cast<std::size_t>(std::ranges::count_if(
                loaded->folded, [&](const FoldedEntry& entry) { return matchesSearch(entry, words); }));
        }
        const double searchMs = (nowMs() - start) / searches;
        start = nowMs();
        for (int i = 0; i < searches; ++i)
            plainFound = plainScan(entries, word).size();
        return std::pair(searchMs, (nowMs() - start) / searches);
    });
    if (found != plainFound)
        std::printf("the search found %zu entries, the plain scan %zu\n", found, plainFound);
    runs.print(
        "catalogue of " + std::to_string(entries.size()) + ": the matching alone, against a plain scan", 3);
}

} // namespace

int main() {
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "catalogue-search-bench";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    HWND owner = createHostWindow(800, 600);
    for (int count : {500, 5000}) {
        const std::vector<BenchEntry> entries = writeCatalogue(benchEntries(count));
        BareDialog bare{plainScan(entries, typedBefore), plainScan(entries, word)};
        typing.bare = &bare;
        SetTimer(nullptr, 0, 0, typeIntoDialogs);
        chooseFromCatalogue(owner, CatalogueKind::parts, "");
        std::printf("%d entries, %d shown after the character (the floor %zu)\n", count, typing.shown,
                    bare.after.size());
        typing.runs.print("catalogue dialog of " + std::to_string(count) +
                              ": one more character until painted, against a bare dialog",
                          1.2);
        compareMatching(entries);
    }
    DestroyWindow(owner);
    std::filesystem::current_path(folder.parent_path());
    std::filesystem::remove_all(folder);
    return 0;
}
