#pragma once

// The main window "toolbase": menu, accelerators, status bar and the File
// commands around the sheet form.

#include <windows.h>

#include <string>

// The sheet file last opened or saved under a new name; empty until then.
extern std::string currentSheetPath;

bool registerMainWindowClass(HINSTANCE instance);
// Creates the main window with the sheet form and the status bar inside it;
// null when that fails.
HWND createMainWindow(HINSTANCE instance);
// Runs until the main window is gone; answers the exit code.
int runMessageLoop(HWND mainWindow, HACCEL accelerators);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Fits the main window around the form and the status bar.
void layoutMainWindow();
void showSavedMessage();
