// One more character typed into the catalogue dialog's search, in a
// catalogue of 500 and of 5,000 entries, until the list shows its matches
// (the list and the line below it painted), against its floor: a plain scan
// of the same texts for the word. The list asks only for the rows it shows,
// so the paint costs the same at any length; the search itself is a scan of
// texts folded once. Last, the character typed into a plain box, for what
// typing costs with no search behind it.

#include "editor/CatalogueDialog.h"
#include "editor/SheetFormState.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "WindowTesting.h"

#include <windows.h>

#include <commctrl.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* timings[] = {"オート", "アクション", "ジャッジ", "ダメージ", "ラピッド"};
constexpr const char* groups[] = {"頭", "腕", "胴", "脚"};
// Every seventh entry has the word the search ends on; every eleventh
// another that the search matches until its last character.
constexpr const char* typedBefore = "白兵";
constexpr const char* typedCharacter = "攻";
constexpr const char* word = "白兵攻";

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

// The catalogue file: a heading before each group's entries.
void writeCatalogue(const std::vector<BenchEntry>& entries) {
    std::string file;
    for (const char* group : groups) {
        file += std::string("[") + group + "]\r\n";
        for (const BenchEntry& entry : entries) {
            if (entry.group == group)
                file += entry.name + "\t" + entry.timing + "\t1\t0\t" + entry.effect + "\r\n";
        }
    }
    std::filesystem::create_directory("Database");
    if (std::FILE* out = std::fopen("Database\\パーツ.txt", "wb")) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
}

// The floor: the texts a search looks in, each scanned for the word.
double plainScanMs(const std::vector<BenchEntry>& entries) {
    std::vector<double> runs;
    std::size_t found = 0;
    for (int round = 0; round < 20; ++round) {
        const double start = nowMs();
        found = 0;
        for (const BenchEntry& entry : entries) {
            for (std::string_view text : {entry.name, entry.timing, entry.effect, entry.group}) {
                if (text.find(word) != std::string_view::npos) {
                    ++found;
                    break;
                }
            }
        }
        runs.push_back(nowMs() - start);
    }
    return found > 0 ? fastest(runs) : 0;
}

struct Typing {
    double typedMs = 0;
    double searchedMs = 0; // of which before the paint: the search and the list told
    int shown = 0;
};
Typing typing;

// The same character typed into a plain box of the same size: what typing
// costs with no search behind it.
double plainBoxMs(HWND owner) {
    HWND box = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10,
                               280, 20, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    std::vector<double> runs;
    for (int round = 0; round < 20; ++round) {
        SetWindowTextA(box, typedBefore);
        UpdateWindow(owner);
        const double start = nowMs();
        SendMessageA(box, EM_SETSEL, 64, 64);
        SendMessageA(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typedCharacter));
        RedrawWindow(owner, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        runs.push_back(nowMs() - start);
    }
    DestroyWindow(box);
    return fastest(runs);
}

void paint(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Runs inside the dialog's own loop: the last character typed again and
// again after the same start, the fastest run kept; then the dialog closes.
void CALLBACK typeIntoDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = FindWindowA("#32770", "カタログ");
    HWND search = GetDlgItem(dialog, IDC_CATALOGUE_SEARCH);
    std::vector<double> runs, searches;
    for (int round = 0; round < 20; ++round) {
        SetWindowTextA(search, typedBefore);
        paint(dialog);
        const double start = nowMs();
        SendMessageA(search, EM_SETSEL, 64, 64);
        SendMessageA(search, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typedCharacter));
        const double searched = nowMs();
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        runs.push_back(nowMs() - start);
        searches.push_back(searched - start);
    }
    typing = {fastest(runs), fastest(searches),
              ListView_GetItemCount(GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES))};
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

} // namespace

int main() {
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "catalogue-search-bench";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    HWND owner = createHostWindow(800, 600);
    double lastFloor = 0;
    std::printf("%-8s %10s %13s %8s %13s %7s\n", "entries", "typed", "(before paint)", "matches",
                "scan (floor)", "ratio");
    for (int count : {500, 5000}) {
        const std::vector<BenchEntry> entries = benchEntries(count);
        writeCatalogue(entries);
        const double floor = lastFloor = plainScanMs(entries);
        SetTimer(nullptr, 0, 0, typeIntoDialog);
        chooseFromCatalogue(owner, CatalogueKind::parts, "");
        std::printf("%-8d %7.3f ms %11.3f ms %8d %10.3f ms %6.2fx\n", count, typing.typedMs,
                    typing.searchedMs, typing.shown, floor, typing.typedMs / floor);
    }
    const double box = plainBoxMs(owner);
    std::printf(
        "the same character typed into a plain box: %.3f ms; at 5000 entries without it %.3f ms, %.2fx the "
        "scan\n",
        box, typing.typedMs - box, (typing.typedMs - box) / lastFloor);
    DestroyWindow(owner);
    std::filesystem::current_path(folder.parent_path());
    std::filesystem::remove_all(folder);
    return 0;
}
