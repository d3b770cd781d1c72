#pragma once

// The main window's class, as its windows look before they hold anything:
// the program's icon, the arrow cursor, a white background and the menu
// "MENU". The start-up floor registers the same class for its plain window.

#include <windows.h>

// The class of the program's main windows, by which they find each other.
inline constexpr char mainWindowClassName[] = "toolbase";

inline WNDCLASSEXA mainWindowClass(HINSTANCE instance, WNDPROC procedure, const char* name) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    // Without an icon of the class, the title bar and the taskbar show the
    // generic one rather than the program's.
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hIconSm =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor =
        static_cast<HCURSOR>(LoadImageA(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = "MENU";
    windowClass.lpszClassName = name;
    return windowClass;
}
