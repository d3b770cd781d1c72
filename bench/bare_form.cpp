// The floor of the program's start-up: the program's first screen built
// with plain calls and none of its logic. A window of a class with the
// program's icon (large and small) and its menu "MENU", holding the sheet
// form's template "MAINDLG" with the five columns in each of its five lists
// and the status bar, fitted around them, shown and painted. No reference
// files, sheet, list rows, recent list or portrait loader.

#include "app/MainWindowClass.h"
#include "editor/ListColumns.h"

#include <windows.h>

#include <commctrl.h>

namespace {

constexpr DWORD windowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int statusBarId = 1;

INT_PTR CALLBACK templateOnly(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

// Widths scaled to the screen, as the program's are.
void addColumns(HWND form) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    for (HWND list = FindWindowExA(form, nullptr, WC_LISTVIEWA, nullptr); list != nullptr;
         list = FindWindowExA(form, list, WC_LISTVIEWA, nullptr)) {
        for (int index = 0; index < static_cast<int>(listColumns.size()); ++index) {
            LVCOLUMNA column{};
            column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            column.cx = MulDiv(listColumns[index].width, dpi, 96);
            column.pszText = const_cast<char*>(listColumns[index].title);
            column.iSubItem = index;
            SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
        }
    }
}

// The window takes the form's size with the menu and the status bar, as
// the program's does, before it is first shown.
void fitAround(HWND window, HWND form, HWND statusBar) {
    RECT rect, status;
    GetClientRect(form, &rect);
    AdjustWindowRect(&rect, windowStyle, TRUE);
    GetClientRect(statusBar, &status);
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top + status.bottom,
                 SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(statusBar, WM_SIZE, 0, 0);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    InitCommonControls();
    const WNDCLASSEXA windowClass = mainWindowClass(instance, DefWindowProcA, "bareform");
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "bareform", "bare_form", windowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    HWND form = CreateDialogParamA(instance, "MAINDLG", window, templateOnly, 0);
    addColumns(form);
    ShowWindow(form, SW_SHOW);
    HWND statusBar =
        CreateStatusWindowA(WS_CHILD | WS_VISIBLE | CCS_BOTTOM, "ステータスバー", window, statusBarId);
    fitAround(window, form, statusBar);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
