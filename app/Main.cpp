#include "app/MainWindow.h"
#include "app/WaysIn.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!registerMainWindowClass(instance))
        return 0;
    HWND mainWindow = createMainWindow(instance);
    if (mainWindow == nullptr)
        return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    // Explorer's "Open with" and a drop on the program's icon name sheets.
    openSheets(mainWindow, commandLinePaths());
    return runMessageLoop(mainWindow, LoadAcceleratorsA(instance, "ACCEL"));
}
