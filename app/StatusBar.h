#pragma once

// The line at the bottom of the main window where the program tells the
// user what a command did.

#include <windows.h>

#include <string>

// The status bar that the functions below write to, once it exists.
void attachStatusBar(HWND statusBar);

void setStatusText(const std::string& text);
std::string statusText();
// `text` after the local time, "hh:mm:ss text".
void tellUser(const std::string& text);
// Tells that the file at `path` could not be opened.
void showOpenFailedMessage(const std::string& path);
