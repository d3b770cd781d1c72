#include "app/MainWindow.h"

#include "app/MainWindowClass.h"
#include "app/OtherWindows.h"
#include "app/RecentMenu.h"
#include "app/SheetDocument.h"
#include "app/SheetTitle.h"
#include "app/StatusBar.h"
#include "app/WaysIn.h"
#include "dolls/DollList.h"
#include "editor/Catalogues.h"
#include "editor/FileDialogs.h"
#include "editor/ListCommands.h"
#include "editor/SheetForm.h"
#include "editor/SheetSharing.h"
#include "export/PieceSaving.h"
#include "export/SheetOutputs.h"
#include "portrait/PortraitImage.h"
#include "portrait/PortraitPath.h"
#include "portrait/PortraitView.h"
#include "refdata/ReferenceData.h"
#include "res/resource.h"
#include "sheet/CharacterSheet.h"
#include "store/RecentList.h"

#include <commctrl.h>
#include <shellapi.h>

#include <clocale>
#include <cstring>
#include <string>

namespace {

constexpr DWORD mainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Once a second it writes the recovery copy, when a change came since: a
// change is in the copy soon, and typing never waits for a write.
constexpr UINT_PTR recoveryTimer = 1;

struct ShellState {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND form = nullptr;
    HWND statusBar = nullptr;
};
ShellState shell;

// The C runtime's character classification follows the Japanese code page,
// so its multi-byte functions read code page 932 texts correctly. A locale
// given by name is looked for among all of the system's, some 3 ms under
// Wine; the user's own locale comes at once, and on a Japanese Windows it is
// the very same one.
void useJapaneseCharacterTypes() {
    const char* usersLocale = std::setlocale(LC_CTYPE, "");
    if (usersLocale == nullptr || std::strcmp(usersLocale, "Japanese_Japan.932") != 0)
        std::setlocale(LC_CTYPE, "japanese");
}

// The portrait's open dialog shares its name with the sheet's open dialog.
std::string choosePortraitFile() {
    return askOpenFileName("ファイルを開く", portraitFileFilter, "bmp");
}

// The catalogues are read when first needed, after an open or save dialog
// may have moved the working folder: the working folder meant is today's.
std::string fixedFolder(const std::string& folder) {
    char working[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, working);
    if (!folder.empty() || length == 0 || length >= MAX_PATH)
        return folder;
    std::string fixed(working, length);
    if (fixed.back() != '\\')
        fixed += '\\';
    return fixed;
}

void createChildren(HWND window) {
    useJapaneseCharacterTypes();
    const std::string folder = fixedFolder(referenceFolder());
    loadReferenceData(folder);
    shell.mainWindow = window;
    InitCommonControls();
    installPortraitLoader(&windowsPortraitLoader);
    sheetForm.choosePortraitFile = choosePortraitFile;
    sheetForm.tellUser = tellUser;
    useCatalogueFolder(folder, tellUser);
    shell.form = createSheetForm(shell.instance, window, characterSheet);
    // The new sheet's defaults are no edit of the user's.
    startDocument(window);
    sheetForm.history = &documentHistory();
    ShowWindow(shell.form, SW_SHOW);
    shell.statusBar =
        CreateStatusWindowA(WS_CHILD | WS_VISIBLE | CCS_BOTTOM, "ステータスバー", window, IDC_STATUSBAR);
    attachStatusBar(shell.statusBar);
    // Fitted only on its first size notification, which comes as it is
    // shown, the window would be drawn at the default size and then again
    // at its own, and a window manager asked to resize it on screen.
    layoutMainWindow();
    SetTimer(window, recoveryTimer, 1000, nullptr);
}

void onRecentSheet(HWND window, int command) {
    const std::string path = recentSheetPath(command);
    if (path.empty() || shownElsewhere(window, wideOfNarrow(path)))
        return;
    if (openSheetInPlace(window, path) == OpenOutcome::refused)
        forgetRecentSheet(path);
}

// The sheet goes out as it is: the record, the form, the sheet's path and
// its file stay as they are.
void onCopy(HWND window, const std::string& utf8) {
    tellUser(copyToClipboard(window, utf8) ? "クリップボードにコピーしました"
                                           : "クリップボードにコピーできませんでした");
}

void onOpenPage() {
    tellUser(openPrintablePage(printablePagePath(currentSheetPath), sheetPage(characterSheet)));
}

// The piece goes beside the sheet under the doll's name unless the player
// chooses otherwise; the sheet, its file and the form stay as they are.
void onSaveUdonariumPiece(HWND window) {
    const std::string& sheetPath = currentSheetPath;
    const std::string folder(folderPart(sheetPath));
    const std::string path = askSaveFileNameIn(window, "ユドナリウム用コマを保存", zipFileFilter, "zip",
                                               folder, pieceFileName(characterSheet.getDollName()));
    if (path.empty())
        return;
    const PieceOutcome outcome = writeUdonariumPiece({{&characterSheet, sheetPath, PathCode::codePage932}},
                                                     path, PathCode::codePage932);
    tellUser(pieceOutcomeText(outcome, {characterSheet.getDollName()}, path));
}

void onCommand(HWND window, int command) {
    switch (command) {
    case IDM_NEW: startNewSheet(window); break;
    case IDM_SAVE: saveToSheetFile(); break;
    case IDM_SAVE_AS: saveUnderNewName(); break;
    case IDM_OPEN: openChosenSheet(window); break;
    case IDM_UNDO: undoStep(); break;
    case IDM_REDO: redoStep(); break;
    case IDM_COPY_TEXT: onCopy(window, sheetText(characterSheet)); break;
    case IDM_COPY_PIECE: onCopy(window, sheetPiece(characterSheet).dump()); break;
    case IDM_OPEN_PAGE: onOpenPage(); break;
    case IDM_SAVE_UDONARIUM: onSaveUdonariumPiece(window); break;
    case IDM_VERSIONS: openEarlierVersion(window); break;
    case IDM_DOLL_LIST: showDollList(window, dollListOwnerFor(window)); break;
    case IDM_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
    default:
        if (isEditCommand(command))
            runEditCommand(command);
        else
            onRecentSheet(window, command);
        break;
    }
}

// Wide texts: on this system the program's own code page 932 texts would
// show as question marks.
void warnOfLostJapanese(HWND owner, UINT codePage) {
    const std::wstring page = std::to_wstring(codePage);
    const std::wstring text =
        L"この Windows はプログラムを日本語のコードページ 932 ではなくコードページ " + page +
        L" で動かしています。日本語の名前や文章は正しく表示されず、シートを保存すると失われます。\n"
        L"Windows 11 でお使いいただくか、コントロール パネルの [地域] → [管理] → "
        L"[システム ロケールの変更] で「日本語 (日本)」を選び、"
        L"「ベータ: ワールドワイド言語サポートで Unicode UTF-8 を使用」のチェックを外して、"
        L"Windows を再起動してください。\n\n"
        L"This Windows runs the program in code page " +
        page +
        L" instead of the Japanese code page 932: Japanese names and texts will not show right, "
        L"and they are lost when the sheet is saved.\n"
        L"Use Windows 11, or choose Control Panel, Region, Administrative, Change system locale: "
        L"Japanese (Japan), with \"Beta: Use Unicode UTF-8 for worldwide language support\" unticked, "
        L"and restart Windows.";
    MessageBoxW(owner, text.c_str(), L"Velmoraキャラ管理ツール", MB_OK | MB_ICONWARNING);
}

bool mayExit(HWND window) {
    if (hasUnsavedEdits())
        return maySheetGo(window);
    return MessageBoxA(window, "終了してもよろしいですか？", "終了確認", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// While a recent sheet's item is highlighted, the status bar shows its full
// path; what it showed before comes back after.
struct MenuStatus {
    bool replaced = false;
    std::string before;
};
MenuStatus menuStatus;

void restoreStatusText() {
    if (menuStatus.replaced)
        setStatusText(menuStatus.before);
    menuStatus.replaced = false;
}

void onMenuSelect(int item, UINT flags) {
    const std::string path = (flags & MF_POPUP) != 0 ? std::string() : recentSheetPath(item);
    if (path.empty()) {
        restoreStatusText();
        return;
    }
    if (!menuStatus.replaced)
        menuStatus = {true, statusText()};
    setStatusText(path);
}

// Undo and redo name the step they would take back or do again
// ("元に戻す(&U): 頭のパーツの移動\tCtrl+Z"), and are greyed with none.
void nameStepItem(HMENU menu, int id, const char* label, const std::string& step, const char* key) {
    const std::string text = label + (step.empty() ? std::string() : ": " + step) + "\t" + key;
    ModifyMenuA(menu, static_cast<UINT>(id),
                MF_BYCOMMAND | MF_STRING | (step.empty() ? MF_GRAYED : MF_ENABLED), static_cast<UINT_PTR>(id),
                text.c_str());
}

void onMenuOpening(HWND window, HMENU menu) {
    if (menu == GetSubMenu(GetMenu(window), 0)) {
        listRecentSheets(menu);
        // A sheet never saved has no versions.
        EnableMenuItem(menu, IDM_VERSIONS,
                       MF_BYCOMMAND | (currentSheetPath.empty() ? MF_GRAYED : MF_ENABLED));
    } else if (menu == GetSubMenu(GetMenu(window), 1)) {
        nameStepItem(menu, IDM_UNDO, "元に戻す(&U)", documentHistory().undoName(), "Ctrl+Z");
        nameStepItem(menu, IDM_REDO, "やり直し(&R)", documentHistory().redoName(), "Ctrl+Y");
        greyEditItems(menu);
    }
}

bool isKeyHeld(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// The command that `accelerators` give a key message; 0 for none.
int acceleratorCommand(HACCEL accelerators, const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return 0;
    ACCEL table[64];
    const int count = CopyAcceleratorTableA(accelerators, table, static_cast<int>(std::size(table)));
    const BYTE held = static_cast<BYTE>((isKeyHeld(VK_CONTROL) ? FCONTROL : 0) |
                                        (isKeyHeld(VK_SHIFT) ? FSHIFT : 0) | (isKeyHeld(VK_MENU) ? FALT : 0));
    for (int i = 0; i < count; ++i) {
        if ((table[i].fVirt & FVIRTKEY) != 0 && table[i].key == message.wParam &&
            (table[i].fVirt & (FCONTROL | FSHIFT | FALT)) == held)
            return table[i].cmd;
    }
    return 0;
}

void endProgram() {
    endDocument();
    PostQuitMessage(0);
}

// Windows may end the process without destroying the window: edits given
// up with "No" must not come back at the next start.
void onEndSession(bool ending) {
    if (ending)
        endDocument();
}

// A window restored from the taskbar is activated while still minimised.
void onActivate(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) != WA_INACTIVE)
        onWindowActive(window);
}

void confirmClose(HWND window) {
    if (mayExit(window))
        DestroyWindow(window);
}

} // namespace

bool registerMainWindowClass(HINSTANCE instance) {
    shell.instance = instance;
    const WNDCLASSEXA windowClass = mainWindowClass(instance, mainWindowProc, mainWindowClassName);
    return RegisterClassExA(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance, UINT codePage) {
    // Files dropped on it arrive as WM_DROPFILES: the style says so as
    // DragAcceptFiles would, without loading shell32 at start.
    HWND window = CreateWindowExA(WS_EX_ACCEPTFILES, mainWindowClassName, programTitle().c_str(),
                                  mainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, nullptr);
    // Windows before 11 ignore the manifest's Japanese code page.
    if (window != nullptr && codePage != japaneseCodePage)
        warnOfLostJapanese(window, codePage);
    return window;
}

void deliverMessage(MSG& message, HWND mainWindow, HACCEL accelerators) {
    // The doll list has keys of its own, the same as some of the form's.
    if (deliverToDollList(message))
        return;
    // The lists' keys are a text box's own: there they keep doing what
    // they do in any text box.
    if (!focusKeepsKeyOf(acceleratorCommand(accelerators, message)) &&
        TranslateAcceleratorA(mainWindow, accelerators, &message))
        return;
    // The dialog manager moves the focus through the form on Tab and
    // Shift+Tab; Enter and Escape reach the form as IDOK and IDCANCEL, which
    // it ignores. It dispatches whatever else it is handed itself.
    if (IsDialogMessageA(shell.form, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int runMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG message{};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0 && got != -1)
        deliverMessage(message, mainWindow, accelerators);
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: createChildren(window); return 0;
    case WM_SIZE: layoutMainWindow(); return 0;
    case WM_CLOSE: confirmClose(window); return 0;
    case WM_QUERYENDSESSION: return maySheetGo(window) ? TRUE : FALSE;
    case WM_ENDSESSION: onEndSession(wParam != FALSE); return 0;
    case WM_DROPFILES: openDroppedFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_INITMENUPOPUP: onMenuOpening(window, reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_MENUSELECT: onMenuSelect(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_EXITMENULOOP: restoreStatusText(); return 0;
    case WM_TIMER: writeRecoveryCopy(); return 0;
    // Left to the default as well, which gives the focus back.
    case WM_ACTIVATE: onActivate(window, wParam); break;
    case checkSheetFileMessage: checkSheetFile(window); return 0;
    case WM_COPYDATA:
        return answerWhetherHeld(window, *reinterpret_cast<const COPYDATASTRUCT*>(lParam), currentSheetPath);
    case WM_DESTROY: endProgram(); return 0;
    case WM_NOTIFY: return 0;
    case WM_COMMAND: onCommand(window, LOWORD(wParam)); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void layoutMainWindow() {
    // The status bar is created last: size notifications before it exists
    // have nothing to fit yet.
    if (shell.form == nullptr || shell.statusBar == nullptr)
        return;
    RECT outer, form, status;
    GetWindowRect(shell.mainWindow, &outer);
    GetClientRect(shell.form, &form);
    RECT adjusted = form;
    AdjustWindowRect(&adjusted, mainWindowStyle, TRUE);
    GetClientRect(shell.statusBar, &status);
    const int width = adjusted.right - adjusted.left;
    const int height = adjusted.bottom - adjusted.top + status.bottom;
    // Moving the window brings its size notification back here with the
    // window fitted, so each fitting is done once; the form stays in the
    // top left corner at its own size throughout.
    if (outer.right - outer.left != width || outer.bottom - outer.top != height)
        MoveWindow(shell.mainWindow, outer.left, outer.top, width, height, TRUE);
    else
        SendMessageA(shell.statusBar, WM_SIZE, 0, MAKELPARAM(width, height));
}
