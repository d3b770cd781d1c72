// How opening a sheet grows with the length of its lists: for sheets of 10,
// 100, 1,000 and 3,000 entries in the skill list and in every part list, the
// time of loadSheet plus refreshSheetForm plus the first paint on the real
// form (under Wine: the real list views with their check boxes), against its
// floor, five plain report-view lists where the form's stand, with the same
// columns, filled with the same texts from the record, carrying as many
// check-box windows made and placed alike, and painted once.
// Also the check-box windows the lists hold and the save. Then, in a sheet
// of 3,000 entries a list: a keystroke against one in a new sheet; the list
// commands on 100 of a list's 3,000 entries and a drag of 100 rows there,
// from the drop, against that list's rebuild; undoing and redoing a typed
// letter against the keystroke, and undoing each list step against the
// rebuild. Each figure is the median of its runs, the floor measured in
// each run beside it.

#include "app/SheetDocument.h"
#include "editor/CellList.h"
#include "editor/ListColumns.h"
#include "editor/ListCommands.h"
#include "editor/SheetForm.h"
#include "editor/SheetLists.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "Figures.h"
#include "LongSheet.h"
#include "ShownSheetForm.h"
#include "WindowTesting.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int longList = 3000;

void paintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
}

// From `start` until `window` has painted.
double paintedMs(HWND window, double start) {
    paintNow(window);
    return nowMs() - start;
}

// The five texts of a row, as the form's lists show them.
template <class Entry> std::array<std::string, 5> rowTexts(const Entry& entry) {
    return {entry.name, entry.timing, entry.cost, entry.range, entry.effect};
}

// Where one of the form's check-box windows stands, and what it shows.
struct BoxPlace {
    int listId;
    RECT at; // in the list
    LRESULT state;
};

// The check-box windows the form's lists hold.
std::vector<HWND> checkBoxWindows() {
    std::vector<HWND> windows;
    for (const auto& [list, rows] : cellCheckBoxes)
        for (const auto& [row, columns] : rows)
            for (const auto& [column, cell] : columns)
                if (cell.box != nullptr)
                    windows.push_back(cell.box);
    return windows;
}

std::vector<BoxPlace> checkBoxPlaces() {
    std::vector<BoxPlace> places;
    for (HWND box : checkBoxWindows()) {
        if (!IsWindowVisible(box))
            continue;
        BoxPlace place{GetDlgCtrlID(GetParent(box)), {}, SendMessageA(box, BM_GETCHECK, 0, 0)};
        GetWindowRect(box, &place.at);
        MapWindowPoints(nullptr, GetParent(box), reinterpret_cast<POINT*>(&place.at), 2);
        places.push_back(place);
    }
    return places;
}

// The floor: the form's template with nothing behind it, its five lists
// made plain report views with the same columns, filled with the same
// texts from the record, given check-box windows where the form's lists
// show theirs, and painted with the rest of the form once.
INT_PTR CALLBACK templateOnly(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

class PlainLists {
public:
    explicit PlainLists(HWND form) {
        RECT area;
        GetClientRect(form, &area);
        host = createHostWindow(area.right, area.bottom);
        bare = CreateDialogParamA(GetModuleHandleA(nullptr), "MAINDLG", host, templateOnly, 0);
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        const int listIds[] = {IDC_SKILL_LIST, IDC_HEAD_LIST, IDC_ARM_LIST, IDC_TORSO_LIST, IDC_LEG_LIST};
        for (std::size_t i = 0; i < lists.size(); ++i) {
            lists[i] = GetDlgItem(bare, listIds[i]);
            SetWindowLongPtrA(lists[i], GWL_STYLE,
                              GetWindowLongPtrA(lists[i], GWL_STYLE) & ~LVS_OWNERDRAWFIXED);
            for (std::size_t column = 0; column < listColumns.size(); ++column) {
                LVCOLUMNA format{};
                format.mask = LVCF_WIDTH | LVCF_TEXT;
                format.cx = MulDiv(listColumns[column].width, dpi, 96);
                format.pszText = const_cast<char*>(listColumns[column].title);
                SendMessageA(lists[i], LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&format));
            }
        }
        ShowWindow(bare, SW_SHOW);
    }
    ~PlainLists() { DestroyWindow(host); }
    PlainLists(const PlainLists&) = delete;
    PlainLists& operator=(const PlainLists&) = delete;

    double fillAndPaint(const CharacterSheet& sheet, const std::vector<BoxPlace>& boxPlaces) {
        const double start = nowMs();
        fill(lists[0], sheet.getSkills());
        for (std::size_t i = 0; i < bodyLocations.size(); ++i)
            fill(lists[i + 1], sheet.getParts(bodyLocations[i]));
        placeBoxes(boxPlaces);
        return paintedMs(host, start);
    }

private:
    // As the form does: a box is made where none is at hand, moved only
    // where it stands elsewhere, and ticked; those left over are hidden.
    void placeBoxes(const std::vector<BoxPlace>& places) {
        for (std::size_t i = 0; i < places.size(); ++i) {
            const BoxPlace& place = places[i];
            const RECT& at = place.at;
            HWND list = GetDlgItem(bare, place.listId);
            if (i == boxes.size()) {
                boxes.push_back(CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, at.left,
                                                at.top, at.right - at.left, at.bottom - at.top, list, nullptr,
                                                GetModuleHandleA(nullptr), nullptr));
            } else if (GetParent(boxes[i]) != list || !standsAt(boxes[i], list, at)) {
                SetParent(boxes[i], list);
                SetWindowPos(boxes[i], nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            }
            SendMessageA(boxes[i], BM_SETCHECK, static_cast<WPARAM>(place.state), 0);
        }
        for (std::size_t i = places.size(); i < boxes.size(); ++i)
            ShowWindow(boxes[i], SW_HIDE);
    }

    static bool standsAt(HWND box, HWND list, const RECT& at) {
        RECT now;
        GetWindowRect(box, &now);
        MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&now), 2);
        return EqualRect(&now, &at) && IsWindowVisible(box);
    }

    template <class Entry> static void fill(HWND list, const std::vector<Entry>& entries) {
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        for (std::size_t row = 0; row < entries.size(); ++row) {
            std::array<std::string, 5> texts = rowTexts(entries[row]);
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.pszText = texts[0].data();
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            for (item.iSubItem = 1; item.iSubItem < 5; ++item.iSubItem) {
                item.pszText = texts[static_cast<std::size_t>(item.iSubItem)].data();
                SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            }
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    }

    HWND host;
    HWND bare;
    std::array<HWND, 5> lists = {};
    std::vector<HWND> boxes;
};

std::string fileBytes(const std::string& path) {
    std::string bytes;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        char chunk[65536];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
            bytes.append(chunk, got);
        std::fclose(in);
    }
    return bytes;
}

void compareOpening(CharacterSheet& sheet, HWND form) {
    PlainLists floor(form);
    for (int entries : {10, 100, 1000, longList}) {
        const std::string input = "bench-" + std::to_string(entries) + ".txt";
        const std::string output = "bench-" + std::to_string(entries) + "-saved.txt";
        writeLongSheet(sheet, entries, input);
        std::vector<double> saves;
        const FigureRuns runs = takeRuns([&] {
            const double start = nowMs();
            sheet.loadSheet(input);
            refreshSheetForm();
            const double opened = paintedMs(form, start);
            const double saving = nowMs();
            sheet.saveSheet(output);
            saves.push_back(nowMs() - saving);
            return std::pair(opened, floor.fillAndPaint(sheet, checkBoxPlaces()));
        });
        std::printf("%d entries a list: %zu check-box windows, saved in %.1f ms, the same file: %s\n",
                    entries, checkBoxWindows().size(), median(saves),
                    fileBytes(input) == fileBytes(output) ? "yes" : "NO");
        runs.print("open a sheet of " + std::to_string(entries) +
                       " entries a list until painted, against five plain lists filled alike",
                   1.2);
        std::remove(input.c_str());
        std::remove(output.c_str());
    }
}

// One letter costs too little against a busy machine's other work: a run
// takes the mean of this many.
constexpr int lettersARun = 10;
// The steps on a long list spread widely under Wine: they take more runs.
constexpr int stepRuns = 11;

// A letter typed into the box until it has painted it.
double letterMs(HWND box) {
    const double start = nowMs();
    SendMessageA(box, WM_CHAR, 'a', 1);
    return paintedMs(box, start);
}

// The mean of letters typed into the doll name.
double keystrokeMs(HWND form) {
    HWND box = GetDlgItem(form, IDC_DOLL_NAME);
    SetFocus(box);
    pumpMessages();
    double total = 0;
    for (int i = 0; i < lettersARun; ++i)
        total += letterMs(box);
    return total / lettersARun;
}

void compareKeystrokes(CharacterSheet& sheet, HWND form) {
    const std::string input = "bench-keys.txt";
    writeLongSheet(sheet, longList, input);
    const FigureRuns runs = takeRuns([&] {
        showNewSheet();
        const double inNew = keystrokeMs(form);
        sheet.loadSheet(input);
        refreshSheetForm();
        return std::pair(keystrokeMs(form), inNew);
    });
    std::remove(input.c_str());
    runs.print("a keystroke in the doll name with 3000 entries a list, against one in a new sheet", 1.2);
}

// Rows `first` to `first` + `count` - 1.
std::vector<int> rowRange(int first, int count) {
    std::vector<int> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        rows[static_cast<std::size_t>(i)] = first + i;
    return rows;
}

// Rebuilding the head list from the record until painted: the floor of
// every step on it.
double rebuildMs() {
    const double start = nowMs();
    refreshList(sheetForm.headList);
    return paintedMs(sheetForm.headList, start);
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

// A step on the head list, made as the user makes it: a command on the
// rows selected, or (command 0) the drag. Answers when the step begins.
struct ListStep {
    const char* what;
    int command;
    std::vector<int> rows;
};

double makeStep(const ListStep& step) {
    HWND list = sheetForm.headList;
    if (step.command == 0)
        return dragHundredRows(list);
    selectRows(list, step.rows);
    SetFocus(list);
    pumpMessages();
    const double start = nowMs();
    runEditCommand(step.command);
    return start;
}

const ListStep listSteps[] = {
    {"delete 100", IDM_EDIT_DELETE, rowRange(1000, 100)},
    {"move 100 up", IDM_MOVE_UP, rowRange(1000, 100)},
    {"paste 100", IDM_EDIT_PASTE, rowRange(1500, 1)},
    {"drag 100", 0, {}},
};

// The program's own record and form, the document following its changes.
void compareSteps() {
    const std::string input = "bench-steps.txt";
    writeLongSheet(characterSheet, longList, input);
    const ShownSheetForm shown(characterSheet);
    startDocument(nullptr);
    sheetForm.history = &documentHistory();
    characterSheet.loadSheet(input);
    refreshSheetForm();
    std::remove(input.c_str());
    HWND list = sheetForm.headList;
    const std::vector<PartEntry> parts = characterSheet.getHeadParts();
    selectRows(list, rowRange(1000, 100));
    SetFocus(list);
    runEditCommand(IDM_EDIT_COPY);
    for (const ListStep& step : listSteps) {
        FigureRuns made, undone;
        for (int run = 0; run < stepRuns; ++run) {
            characterSheet.setHeadParts(parts);
            const double floor = rebuildMs();
            made.add(paintedMs(list, makeStep(step)), floor);
            pumpMessages();
            const double start = nowMs();
            undoStep();
            undone.add(paintedMs(list, start), floor);
        }
        made.print(std::string(step.what) + " in a list of 3000, against rebuilding it", 1.2);
        undone.print(std::string("undo ") + step.what + " in a list of 3000, against rebuilding it", 1.2);
    }

    // A letter typed into the doll name, undone and done again: each changes
    // the box by that letter, as the keystroke did.
    HWND box = GetDlgItem(shown.form(), IDC_DOLL_NAME);
    FigureRuns undoLetter, redoLetter;
    for (int run = 0; run < figureRuns; ++run) {
        SetFocus(box);
        pumpMessages();
        double key = 0, undo = 0, redo = 0;
        for (int i = 0; i < lettersARun; ++i) {
            key += letterMs(box);
            double start = nowMs();
            undoStep();
            undo += paintedMs(box, start);
            start = nowMs();
            redoStep();
            redo += paintedMs(box, start);
        }
        undoLetter.add(undo / lettersARun, key / lettersARun);
        redoLetter.add(redo / lettersARun, key / lettersARun);
    }
    undoLetter.print("undo a typed letter with 3000 entries a list, against the keystroke", 1.2);
    redoLetter.print("redo a typed letter with 3000 entries a list, against the keystroke", 1.2);
}

} // namespace

int main() {
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    {
        CharacterSheet sheet;
        const ShownSheetForm shown(sheet);
        compareOpening(sheet, shown.form());
        compareKeystrokes(sheet, shown.form());
    }
    compareSteps();
    return 0;
}
