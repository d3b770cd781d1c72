#include "app/MainWindow.h"
#include "app/SheetDocument.h"
#include "app/WaysIn.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!registerMainWindowClass(instance))
        return 0;
    HWND mainWindow = createMainWindow(instance);
    if (mainWindow == nullptr)
        return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    if (const std::optional<std::wstring> copy = recoveryCopyArgument()) {
        showRecoveryCopy(mainWindow, *copy);
    } else {
        // Explorer's "Open with" and a drop on the program's icon name
        // sheets; unsaved edits left by a crash come first.
        const std::vector<std::wstring> paths = commandLinePaths();
        offerRecoveryCopies(mainWindow, paths.empty());
        openSheets(mainWindow, paths);
    }
    return runMessageLoop(mainWindow, LoadAcceleratorsA(instance, "ACCEL"));
}
