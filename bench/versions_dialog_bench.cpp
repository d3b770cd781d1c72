// "以前の版" opened on 50 versions of a sheet of 3,000 entries a list, until
// its dialog is shown and painted with its 違い column filled, against
// reading and loading those 50 versions in a plain loop plus a bare dialog
// of the same template whose list shows 50 rows. A modal dialog's loop
// tells its owner when it has nothing left to do (WM_ENTERIDLE): the dialog
// is then made, filled and painted, and the owner closes it. Prints figures
// and ratios; asserts nothing.

#include "app/VersionsDialog.h"
#include "editor/OwnerDataList.h"
#include "res/resource.h"
#include "store/VersionStore.h"

#include "BenchClock.h"
#include "Figures.h"
#include "LongSheet.h"

#include <commctrl.h>

#include <filesystem>
#include <functional>

namespace {

constexpr int versionCount = 50, listLength = 3000;

// When the dialog last went idle; the owner closes it then.
double idleAt = 0;

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) {
        idleAt = nowMs();
        PostMessageA(reinterpret_cast<HWND>(lParam), WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeOwner() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VersionsBenchOwner";
    RegisterClassA(&windowClass);
    HWND owner = CreateWindowA("VersionsBenchOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                               600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(owner);
    return owner;
}

// The same template with 50 rows of texts as long as the program's.
INT_PTR CALLBACK bareProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        HWND rows = GetDlgItem(dialog, IDC_VERSION_LIST);
        for (const char* title : {"保存日時", "大きさ", "違い"})
            addListColumn(dialog, rows, title, 80);
        showRows(rows, versionCount, true);
        return TRUE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        lstrcpynA(item.pszText, "2026/12/10 14:03:12 ドール名 一番目 ･ パーツ 3 件多い", item.cchTextMax);
        return TRUE;
    }
    if (message == WM_COMMAND)
        EndDialog(dialog, IDCANCEL);
    return FALSE;
}

double timedDialog(const std::function<void()>& open) {
    const double start = nowMs();
    open();
    return idleAt - start;
}

// The 50 versions read and loaded as the dialog does, without a window.
double plainLoop(const std::string& path) {
    const double start = nowMs();
    std::size_t loaded = 0;
    for (const SheetVersionEntry& entry : versionsOf(path)) {
        const std::optional<std::string> bytes = versionBytes(path, entry.id);
        loaded += bytes && sheetContentsOf(*bytes) ? 1 : 0;
    }
    if (loaded != versionCount)
        std::printf("  only %zu versions loaded\n", loaded);
    return nowMs() - start;
}

} // namespace

int main() {
    const std::filesystem::path profile = std::filesystem::absolute("versions-profile");
    std::filesystem::remove_all(profile);
    std::filesystem::create_directories(profile);
    SetEnvironmentVariableW(L"LOCALAPPDATA", profile.wstring().c_str());
    const std::string path = std::filesystem::absolute("versions-sheet.txt").string();
    CharacterSheet sheet;
    writeLongSheet(sheet, listLength, path);
    for (int version = 0; version < versionCount; ++version) {
        sheet.setDollName("リリィ " + std::to_string(version));
        const std::string bytes = sheet.sheetFileText();
        keepVersionBeforeSave(path, bytes);
        sheet.saveSheet(path);
    }
    InitCommonControls();
    HWND owner = makeOwner();
    FigureRuns runs;
    for (int run = 0; run < figureRuns; ++run) {
        const double dialog = timedDialog([&] { chooseVersion(owner, path, sheet); });
        const double bare = timedDialog(
            [&] { DialogBoxParamA(GetModuleHandleA(nullptr), "VERSIONSDLG", owner, bareProc, 0); });
        runs.add(dialog, plainLoop(path) + bare);
    }
    runs.print(
        "the earlier versions dialog on 50 versions of a 3000-entry sheet until painted, against loading "
        "them and a bare dialog",
        1.2);
    DestroyWindow(owner);
    std::filesystem::remove_all(profile);
    std::filesystem::remove(path);
}
