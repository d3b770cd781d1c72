// The floor of the program's start-up: a window holding the sheet form's
// template "MAINDLG" and nothing else. No menu, status bar, reference
// files, list set-up or sheet; only the common controls, without which the
// template's list views cannot be made.
//
//   bare_form [columns]
// With "columns" each list gets five columns as the sheet's lists have,
// which shows what their headers alone cost. Their titles and widths cost
// nothing measurable, so the columns are untitled and alike.

#include <windows.h>

#include <commctrl.h>

namespace {

constexpr DWORD windowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

INT_PTR CALLBACK templateOnly(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

HWND createWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "bareform";
    RegisterClassExA(&windowClass);
    return CreateWindowExA(0, "bareform", "MAINDLG", windowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void addColumns(HWND form) {
    for (HWND list = FindWindowExA(form, nullptr, WC_LISTVIEWA, nullptr); list != nullptr;
         list = FindWindowExA(form, list, WC_LISTVIEWA, nullptr)) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        column.cx = 72;
        for (int index = 0; index < 5; ++index)
            SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
    }
}

// The window takes the form's size, as the program's does.
void fitAround(HWND window, HWND form) {
    RECT rect;
    GetClientRect(form, &rect);
    AdjustWindowRect(&rect, windowStyle, FALSE);
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    InitCommonControls();
    HWND window = createWindow(instance);
    HWND form = CreateDialogParamA(instance, "MAINDLG", window, templateOnly, 0);
    if (lstrcmpA(commandLine, "columns") == 0)
        addColumns(form);
    fitAround(window, form);
    ShowWindow(form, SW_SHOW);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
