// How opening a sheet grows with the length of its lists: for sheets of 10,
// 100, 1,000 and 3,000 entries in the skill list and in every part list, the
// time of loadSheet plus refreshSheetForm plus the first paint on the real
// form (under Wine: the real list views with their check boxes), against its
// floor, the same rows in plain report-view lists filled and painted once.
// Also the number of check-box windows the lists hold and the save. Prints
// figures, ratios and the growth from one size to the next. Last, a
// keystroke in a sheet of 3,000 entries a list against one in a new sheet,
// and the list commands on 100 of the 3,000 entries of a list against that
// list's rebuild, and a drag of 100 rows there from its drop; last, undoing
// a text step and each list step there, against a keystroke and that list's
// rebuild.

#include "app/SheetDocument.h"
#include "editor/CellList.h"
#include "editor/ListCommands.h"
#include "editor/SheetForm.h"
#include "editor/SheetLists.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "LongSheet.h"
#include "ShownSheetForm.h"
#include "WindowTesting.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Timing {
    double openMs;
    double paintMs;
    double saveMs;
    double floorMs;
};

// The floor: five plain report-view lists the size of the form's, filled
// with the same texts and painted once.
class PlainLists {
public:
    PlainLists() : host(createHostWindow(1000, 400)) {
        for (int i = 0; i < 5; ++i) {
            lists[i] = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, i * 190, 0,
                                       185, 120, host, nullptr, GetModuleHandleA(nullptr), nullptr);
            for (int column = 0; column < 5; ++column) {
                LVCOLUMNA format{};
                format.mask = LVCF_WIDTH;
                format.cx = 40;
                SendMessageA(lists[i], LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&format));
            }
        }
    }
    ~PlainLists() { DestroyWindow(host); }
    PlainLists(const PlainLists&) = delete;
    PlainLists& operator=(const PlainLists&) = delete;

    double fillAndPaint(int entries) const {
        const double start = nowMs();
        for (HWND list : lists) {
            SendMessageA(list, WM_SETREDRAW, FALSE, 0);
            SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
            for (int row = 0; row < entries; ++row) {
                std::string text = "パーツ" + std::to_string(row);
                LVITEMA item{};
                item.mask = LVIF_TEXT;
                item.iItem = row;
                item.pszText = text.data();
                SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
                for (item.iSubItem = 1; item.iSubItem < 5; ++item.iSubItem)
                    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            }
            SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        }
        RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages();
        return nowMs() - start;
    }

private:
    HWND host;
    HWND lists[5] = {};
};

std::size_t checkBoxWindows() {
    std::size_t windows = 0;
    for (const auto& [list, rows] : cellCheckBoxes)
        for (const auto& [row, columns] : rows)
            for (const auto& [column, cell] : columns)
                windows += cell.box != nullptr ? 1 : 0;
    return windows;
}

Timing measure(HWND form, CharacterSheet& sheet, const std::string& input, const std::string& output,
               int entries, const PlainLists& floor) {
    std::vector<double> open, paint, save, plain;
    for (int round = 0; round < 3; ++round) {
        const double start = nowMs();
        sheet.loadSheet(input);
        refreshSheetForm();
        const double opened = nowMs();
        RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages();
        const double painted = nowMs();
        sheet.saveSheet(output);
        const double saved = nowMs();
        open.push_back(opened - start);
        paint.push_back(painted - opened);
        save.push_back(saved - painted);
        plain.push_back(floor.fillAndPaint(entries));
    }
    return {median(open), median(paint), median(save), median(plain)};
}

bool sameFile(const std::string& a, const std::string& b) {
    auto read = [](const std::string& path) {
        std::string bytes;
        if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
            char chunk[65536];
            for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
                bytes.append(chunk, got);
            std::fclose(in);
        }
        return bytes;
    };
    return read(a) == read(b);
}

// The mean time of a keystroke typed into the doll name.
double keystrokeMs(HWND form) {
    constexpr int keys = 300;
    HWND box = GetDlgItem(form, IDC_DOLL_NAME);
    SetWindowTextA(box, "");
    pumpMessages();
    const double start = nowMs();
    for (int i = 0; i < keys; ++i)
        SendMessageA(box, WM_CHAR, 'a' + i % 26, 1);
    pumpMessages();
    return (nowMs() - start) / keys;
}

void compareKeystrokes(CharacterSheet& sheet, HWND form) {
    std::vector<double> inNew, inLong;
    const std::string input = "bench-keys.txt";
    writeLongSheet(sheet, 3000, input);
    for (int round = 0; round < 5; ++round) {
        showNewSheet();
        inNew.push_back(keystrokeMs(form));
        sheet.loadSheet(input);
        refreshSheetForm();
        inLong.push_back(keystrokeMs(form));
    }
    std::remove(input.c_str());
    const double floor = fastest(inNew), long3000 = fastest(inLong);
    std::printf(
        "\na keystroke in the doll name: %.3f ms in a sheet of 3000 entries a list, %.3f ms in a new sheet "
        "(floor), %.2fx\n",
        long3000, floor, long3000 / floor);
}

// Rows `first` to `first` + `count` - 1.
std::vector<int> rowRange(int first, int count) {
    std::vector<int> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        rows[static_cast<std::size_t>(i)] = first + i;
    return rows;
}

double paintedMs(HWND list, double start) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
    return nowMs() - start;
}

// The fastest of five runs of a command on the head list of 3,000 parts
// with `rows` selected, each from the same list.
double listCommandMs(CharacterSheet& sheet, const std::vector<PartEntry>& parts, int command,
                     const std::vector<int>& rows) {
    std::vector<double> runs;
    for (int round = 0; round < 5; ++round) {
        sheet.setHeadParts(parts);
        refreshList(sheetForm.headList);
        selectRows(sheetForm.headList, rows);
        pumpMessages();
        const double start = nowMs();
        runEditCommand(command);
        runs.push_back(paintedMs(sheetForm.headList, start));
    }
    return fastest(runs);
}

// A drag of the 100 rows from 1000 on, pressed on row 1000 and dropped
// before the row a few above it: answers when the drop begins.
double dragHundredRows(HWND list) {
    selectRows(list, rowRange(1000, 100));
    const int perPage = ListView_GetCountPerPage(list);
    ListView_EnsureVisible(list, 1000 - perPage / 2, FALSE);
    ListView_EnsureVisible(list, 1000, FALSE);
    pumpMessages();
    RECT pressed{}, target{};
    ListView_GetItemRect(list, 1000, &pressed, LVIR_BOUNDS);
    ListView_GetItemRect(list, ListView_GetTopIndex(list) + 1, &target, LVIR_BOUNDS);
    const LPARAM from = MAKELPARAM(pressed.left + 30, (pressed.top + pressed.bottom) / 2);
    const LPARAM to = MAKELPARAM(target.left + 30, target.top + 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, from);
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pressed.left + 40, pressed.top + 10));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, to);
    const double start = nowMs();
    SendMessageA(list, WM_LBUTTONUP, 0, to);
    return start;
}

void compareListCommands(CharacterSheet& sheet) {
    const std::string input = "bench-commands.txt";
    writeLongSheet(sheet, 3000, input);
    sheet.loadSheet(input);
    refreshSheetForm();
    std::remove(input.c_str());
    const std::vector<PartEntry> parts = sheet.getHeadParts();
    SetFocus(sheetForm.headList);
    std::vector<double> rebuilds;
    for (int round = 0; round < 5; ++round) {
        const double start = nowMs();
        refreshList(sheetForm.headList);
        rebuilds.push_back(paintedMs(sheetForm.headList, start));
    }
    const double floor = fastest(rebuilds);
    selectRows(sheetForm.headList, rowRange(1000, 100));
    runEditCommand(IDM_EDIT_COPY);
    const struct {
        const char* what;
        int command;
        std::vector<int> rows;
    } commands[] = {
        {"delete 100", IDM_EDIT_DELETE, rowRange(1000, 100)},
        {"move 100 up", IDM_MOVE_UP, rowRange(1000, 100)},
        {"paste 100", IDM_EDIT_PASTE, rowRange(1500, 1)},
    };
    std::printf("\nthe list commands in a list of 3000 parts, against rebuilding it (floor %.1f ms):\n",
                floor);
    for (const auto& c : commands) {
        const double ms = listCommandMs(sheet, parts, c.command, c.rows);
        std::printf("  %-12s %7.1f ms %6.2fx\n", c.what, ms, ms / floor);
    }
    std::vector<double> drags;
    for (int round = 0; round < 5; ++round) {
        sheet.setHeadParts(parts);
        refreshList(sheetForm.headList);
        drags.push_back(paintedMs(sheetForm.headList, dragHundredRows(sheetForm.headList)));
    }
    std::printf("  %-12s %7.1f ms %6.2fx  (from the drop until painted)\n", "drag 100", fastest(drags),
                fastest(drags) / floor);
}

// The fastest of five undos of the step `make` makes in the 3,000-entry
// sheet shown, each step made anew, with the paint of the control it shows.
template <class Make> double undoMs(HWND shows, Make make) {
    std::vector<double> runs;
    for (int round = 0; round < 5; ++round) {
        make();
        pumpMessages();
        const double start = nowMs();
        undoStep();
        runs.push_back(paintedMs(shows, start));
    }
    return fastest(runs);
}

// The program's own record and form, the document following its changes.
void compareUndos() {
    const std::string input = "bench-undo.txt";
    writeLongSheet(characterSheet, 3000, input);
    const ShownSheetForm shown(characterSheet);
    startDocument(nullptr);
    sheetForm.history = &documentHistory();
    characterSheet.loadSheet(input);
    refreshSheetForm();
    std::remove(input.c_str());
    HWND box = GetDlgItem(shown.form(), IDC_DOLL_NAME);
    const double text = undoMs(box, [box] {
        SetFocus(box);
        SendMessageA(box, WM_CHAR, 'a', 1);
    });
    const double key = keystrokeMs(shown.form());
    std::vector<double> rebuilds;
    for (int round = 0; round < 5; ++round) {
        const double start = nowMs();
        refreshList(sheetForm.headList);
        rebuilds.push_back(paintedMs(sheetForm.headList, start));
    }
    const double floor = fastest(rebuilds);
    std::printf("\nundoing a typed letter: %.3f ms, against a keystroke (floor) %.3f ms, %.2fx\n", text, key,
                text / key);
    std::printf("undoing in a list of 3000 parts, against rebuilding that list (floor %.1f ms):\n", floor);
    HWND list = sheetForm.headList;
    selectRows(list, rowRange(1000, 100));
    SetFocus(list);
    runEditCommand(IDM_EDIT_COPY);
    const struct {
        const char* what;
        int command; // 0: a drag
        std::vector<int> rows;
    } steps[] = {
        {"delete 100", IDM_EDIT_DELETE, rowRange(1000, 100)},
        {"move 100 up", IDM_MOVE_UP, rowRange(1000, 100)},
        {"paste 100", IDM_EDIT_PASTE, rowRange(1500, 1)},
        {"drag 100", 0, {}},
    };
    for (const auto& step : steps) {
        const double ms = undoMs(list, [&] {
            if (step.command == 0) {
                dragHundredRows(list);
                return;
            }
            selectRows(list, step.rows);
            SetFocus(list);
            runEditCommand(step.command);
        });
        std::printf("  %-12s %7.1f ms %6.2fx\n", step.what, ms, ms / floor);
    }
}

} // namespace

int main() {
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    CharacterSheet sheet;
    const ShownSheetForm shown(sheet);
    HWND form = shown.form();

    const PlainLists floor;
    std::printf("%-8s %13s %10s %13s %13s %7s %8s %10s %7s %5s\n", "entries", "open+refresh", "1st paint",
                "total", "floor", "ratio", "growth", "save", "boxes", "same");
    double previous = 0;
    for (int entries : {10, 100, 1000, 3000}) {
        const std::string input = "bench-" + std::to_string(entries) + ".txt";
        const std::string output = "bench-" + std::to_string(entries) + "-saved.txt";
        writeLongSheet(sheet, entries, input);
        const Timing timing = measure(form, sheet, input, output, entries, floor);
        const double total = timing.openMs + timing.paintMs;
        const std::string growth = previous > 0 ? std::to_string(total / previous).substr(0, 5) + "x" : "";
        std::printf("%-8d %10.1f ms %7.1f ms %10.1f ms %10.1f ms %6.2fx %8s %7.1f ms %7zu %5s\n", entries,
                    timing.openMs, timing.paintMs, total, timing.floorMs, total / timing.floorMs,
                    growth.c_str(), timing.saveMs, checkBoxWindows(), sameFile(input, output) ? "yes" : "NO");
        previous = total;
        std::remove(input.c_str());
        std::remove(output.c_str());
    }
    compareKeystrokes(sheet, form);
    compareListCommands(sheet);
    compareUndos();
    return 0;
}
