// The doll list's window: its controls placed as it grows, its messages
// handed to the rows and the commands, its place kept as it closes.
#include "dolls/DollList.h"

#include "dolls/DollListPlace.h"
#include "dolls/DollListState.h"
#include "editor/DialogLayout.h"
#include "editor/OwnerDataList.h"
#include "res/resource.h"
#include "sheet/WindowsText.h"

#include <iterator>

namespace doll_list {

namespace {

// The main window's property that holds its doll list.
constexpr char dollListProperty[] = "VelmoraDollList";

// The list shows itself this long after it is made at the latest.
constexpr UINT showTimer = 1;
constexpr UINT showAfterMilliseconds = 150;

constexpr ControlPlace controlPlaces[] = {
    {IDC_DOLL_SEARCH, false, false, false, false},
    {IDC_DOLL_ROWS, false, false, true, true},
    {IDC_DOLL_SUMMARY, false, true, true, false},
    {IDC_DOLL_FOLDER, false, true, false, false},
    {IDOK, true, true, false, false},
    {IDCANCEL, true, true, false, false},
};

void addColumns(DollList& list) {
    HWND rows = rowList(list);
    ListView_SetExtendedListViewStyle(rows, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (const DollColumnShown& column : dollColumns)
        addListColumn(list.window, rows, column.title, column.width);
}

void showPlace(const DollList& list) {
    if (const std::optional<RECT> place = list.startPlace)
        SetWindowPos(list.window, nullptr, place->left, place->top, place->right - place->left,
                     place->bottom - place->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Its place as it is when neither minimised nor maximised.
void keepSettings(const DollList& list) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(list.window, &placement);
    keepDollListSettings({list.folder, placement.rcNormalPosition, list.order});
}

void initDollList(DollList& list) {
    SetPropA(list.owner, dollListProperty, list.window);
    // The reading starts first: the rest is done while it walks the folder.
    createThumbnails(list);
    startReading(list);
    addColumns(list);
    list.layout = designedLayout(list.window, controlPlaces);
    showPlace(list);
    SetTimer(list.window, showTimer, showAfterMilliseconds, nullptr);
}

void closeDollList(DollList& list) {
    keepSettings(list);
    stopPartyPiece(list);
    list.worker.reset();
    RemovePropA(list.owner, dollListProperty);
}

void onDollCommand(DollList& list, int id, int notification) {
    switch (id) {
    case IDC_DOLL_SEARCH:
        if (notification == EN_CHANGE)
            showSearched(list);
        break;
    case IDC_DOLL_FOLDER: chooseFolder(list); break;
    // Enter reaches the list as its default button; with Shift held, as
    // Explorer does, the doll opens in a window of its own.
    case IDOK: openSelected(list, GetKeyState(VK_SHIFT) < 0); break;
    // Esc stops a piece being saved before it closes the list.
    case IDCANCEL:
        if (!stopPartyPiece(list))
            DestroyWindow(list.window);
        break;
    default: runDollCommand(list, id); break;
    }
}

void onRowsNotify(DollList& list, NMHDR& header) {
    if (header.idFrom != IDC_DOLL_ROWS)
        return;
    switch (header.code) {
    case LVN_GETDISPINFOA: giveRowText(list, reinterpret_cast<NMLVDISPINFOA&>(header)); break;
    case LVN_COLUMNCLICK: sortBy(list, reinterpret_cast<NMLISTVIEW&>(header).iSubItem); break;
    case NM_DBLCLK:
        if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0)
            openSelected(list, false);
        break;
    case LVN_KEYDOWN:
        if (const int command = commandOfKey(reinterpret_cast<NMLVKEYDOWN&>(header).wVKey))
            runDollCommand(list, command);
        break;
    }
}

INT_PTR CALLBACK dollListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<DollList*>(lParam)->window = window;
    }
    auto* list = reinterpret_cast<DollList*>(GetWindowLongPtrA(window, DWLP_USER));
    if (list == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: initDollList(*list); return TRUE;
    case WM_COMMAND: onDollCommand(*list, LOWORD(wParam), HIWORD(wParam)); break;
    case WM_NOTIFY: onRowsNotify(*list, *reinterpret_cast<NMHDR*>(lParam)); break;
    case WM_CONTEXTMENU: showDollMenu(*list, reinterpret_cast<HWND>(wParam), lParam); break;
    case WM_SIZE: placeControls(window, list->layout, controlPlaces, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_GETMINMAXINFO:
        limitToHalfTheDesign(window, list->layout, *reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    case dollNewsMessage: takeNews(*list); break;
    case askThumbnailsMessage: askForThumbnails(*list); break;
    case WM_TIMER:
        if (wParam == showTimer)
            showList(*list);
        break;
    case pieceProgressMessage: showPieceProgress(*list, wParam, static_cast<std::size_t>(lParam)); break;
    case pieceSavedMessage: takeSavedPiece(*list); break;
    case WM_DESTROY: closeDollList(*list); break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, DWLP_USER, 0);
        delete list;
        break;
    }
    return FALSE;
}

} // namespace

void showList(DollList& list) {
    KillTimer(list.window, showTimer);
    if (!IsWindowVisible(list.window))
        ShowWindow(list.window, SW_SHOW);
}

HWND rowList(const DollList& list) {
    return GetDlgItem(list.window, IDC_DOLL_ROWS);
}

std::string shownFolderPath(const std::string& utf8) {
    return shownPath(wideOfUtf8(utf8));
}

std::wstring wideFilePath(const DollList& list, const std::string& relativePath) {
    return wideOfUtf8(dollFilePath(list.folder, relativePath));
}

} // namespace doll_list

using namespace doll_list;

void showDollList(HWND ownerWindow, std::unique_ptr<DollListOwner> owner) {
    if (HWND open = dollListOf(ownerWindow)) {
        ShowWindow(open, IsIconic(open) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(open);
        return;
    }
    auto list = std::make_unique<DollList>();
    list->owner = ownerWindow;
    list->host = std::move(owner);
    const DollListSettings settings = readDollListSettings();
    list->folder = startFolder(settings.folder, list->host->sheetPath());
    list->order = settings.order;
    list->startPlace = settings.place;
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(ownerWindow, GWLP_HINSTANCE));
    // The dialog owns the state from its creation on and deletes it as it goes.
    HWND window = CreateDialogParamA(instance, "DOLLLISTDLG", ownerWindow, dollListProc,
                                     reinterpret_cast<LPARAM>(list.get()));
    if (window != nullptr)
        list.release();
}

HWND dollListOf(HWND ownerWindow) {
    return static_cast<HWND>(GetPropA(ownerWindow, dollListProperty));
}

bool deliverToDollList(MSG& message) {
    HWND root = message.hwnd == nullptr ? nullptr : GetAncestor(message.hwnd, GA_ROOT);
    HWND owner = root == nullptr ? nullptr : GetWindow(root, GW_OWNER);
    if (owner == nullptr || dollListOf(owner) != root)
        return false;
    return IsDialogMessageA(root, &message) != FALSE;
}

std::size_t dollThumbnailBytes(HWND dollList) {
    const auto* list = reinterpret_cast<const DollList*>(GetWindowLongPtrA(dollList, DWLP_USER));
    return list == nullptr ? 0 : thumbnailBytes(list->thumbnails);
}