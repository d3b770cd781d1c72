#include "app/MainWindow.h"
#include "app/SheetDocument.h"
#include "app/WaysIn.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const std::optional<std::wstring> copy = recoveryCopyArgument();
    // Explorer's "Open with" and a drop on the program's icon name sheets.
    // One another window holds comes forward there, before this window is
    // made: a start for such sheets alone ends without showing one.
    std::vector<std::wstring> paths;
    if (!copy) {
        const std::vector<std::wstring> named = commandLinePaths();
        paths = sheetsHeldNowhere(named);
        if (!named.empty() && paths.empty())
            return 0;
    }
    if (!registerMainWindowClass(instance))
        return 0;
    HWND mainWindow = createMainWindow(instance);
    if (mainWindow == nullptr)
        return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    if (copy) {
        showRecoveryCopy(mainWindow, *copy);
    } else {
        // Unsaved edits left by a crash come first.
        offerRecoveryCopies(mainWindow, paths.empty());
        openSheets(mainWindow, paths);
    }
    return runMessageLoop(mainWindow, LoadAcceleratorsA(instance, "ACCEL"));
}
