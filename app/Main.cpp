#include "app/MainWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!registerMainWindowClass(instance))
        return 0;
    HWND mainWindow = createMainWindow(instance);
    if (mainWindow == nullptr)
        return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return runMessageLoop(mainWindow, LoadAcceleratorsA(instance, "ACCEL"));
}
