#pragma once

// The main window "toolbase": menu, accelerators, status bar and the File
// commands around the sheet form.

#include <windows.h>

#include <string>

// The sheet file last opened or saved under a new name; empty until then.
extern std::string currentSheetPath;

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
void showSavedMessage();
// Opens the sheet at `path` in place of the one shown, as "開く" does once
// its dialog is answered, after the question about unsaved edits: kept when
// the sheet shown may not go, refused when the file is no sheet to open.
enum class OpenOutcome { opened, kept, refused };
OpenOutcome openSheetInPlace(HWND window, const std::string& path);
// Tells in the status bar that the file at `path` could not be opened.
void showOpenFailedMessage(const std::string& path);

// Names the sheet and whether it holds unsaved edits in the main window's title.
void showSheetTitle();
