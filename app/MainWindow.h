#pragma once

// The main window "toolbase": menu, accelerators, status bar and the File
// commands around the sheet form.

#include <windows.h>

#include <string>

// The code page of every text the program holds, shows and saves.
inline constexpr UINT japaneseCodePage = 932;

bool registerMainWindowClass(HINSTANCE instance);
// Creates the main window with the sheet form and the status bar inside it;
// null when that fails. When the program's code page `codePage` is not
// Japanese, a message says first, before the window shows, that Japanese
// texts would be lost.
HWND createMainWindow(HINSTANCE instance, UINT codePage = GetACP());
// Hands one message taken from the thread's queue on as the program's loop
// does: an accelerator of `accelerators` becomes its command, a navigation
// key of the sheet form moves the focus, everything else goes to its window.
void deliverMessage(MSG& message, HWND mainWindow, HACCEL accelerators);
// Runs until the main window is gone; answers the exit code.
int runMessageLoop(HWND mainWindow, HACCEL accelerators);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Fits the main window around the form and the status bar.
void layoutMainWindow();
