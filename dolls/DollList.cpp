// The doll list's window: its controls placed as it grows, its messages
// handed to the rows and the commands, its place kept as it closes.
#include "dolls/DollList.h"

#include "dolls/DollListPlace.h"
#include "dolls/DollListState.h"
#include "editor/OwnerDataList.h"
#include "res/resource.h"
#include "sheet/WindowsText.h"

#include <iterator>

namespace doll_list {

namespace {

// The main window's property that holds its doll list.
constexpr char dollListProperty[] = "VelmoraDollList";

// How each control follows the window's size: its template place moves
// right and down with the window's growth, or stretches with it.
struct ControlPlace {
    int id;
    bool followsRight, followsBottom, stretchesWide, stretchesTall;
};

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

// Each control's template place, to move from as the window grows.
void keepDesignedPlaces(DollList& list) {
    RECT client;
    GetClientRect(list.window, &client);
    list.designSize = {client.right, client.bottom};
    for (const ControlPlace& place : controlPlaces) {
        RECT at;
        GetWindowRect(GetDlgItem(list.window, place.id), &at);
        MapWindowPoints(nullptr, list.window, reinterpret_cast<POINT*>(&at), 2);
        list.designed.push_back(at);
    }
}

void placeControls(const DollList& list, int width, int height) {
    if (list.designed.size() != std::size(controlPlaces))
        return;
    const int wider = width - list.designSize.cx, taller = height - list.designSize.cy;
    HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(controlPlaces)));
    for (std::size_t i = 0; i < std::size(controlPlaces); ++i) {
        const ControlPlace& place = controlPlaces[i];
        RECT at = list.designed[i];
        at.left += place.followsRight ? wider : 0;
        at.top += place.followsBottom ? taller : 0;
        at.right += place.followsRight || place.stretchesWide ? wider : 0;
        at.bottom += place.followsBottom || place.stretchesTall ? taller : 0;
        moves = DeferWindowPos(moves, GetDlgItem(list.window, place.id), nullptr, at.left, at.top,
                               at.right - at.left, at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(moves);
}

// No smaller than half its template.
void limitSize(const DollList& list, MINMAXINFO& limits) {
    RECT smallest = {0, 0, list.designSize.cx / 2, list.designSize.cy / 2};
    AdjustWindowRectEx(&smallest, static_cast<DWORD>(GetWindowLongPtrA(list.window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(list.window, GWL_EXSTYLE)));
    limits.ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
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
    addColumns(list);
    createThumbnails(list);
    keepDesignedPlaces(list);
    showPlace(list);
    startReading(list);
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
    case WM_SIZE: placeControls(*list, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_GETMINMAXINFO: limitSize(*list, *reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case dollNewsMessage: takeNews(*list); break;
    case askThumbnailsMessage: askForThumbnails(*list); break;
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
        if (IsIconic(open))
            ShowWindow(open, SW_RESTORE);
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
    if (window == nullptr)
        return;
    list.release();
    ShowWindow(window, SW_SHOW);
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