#pragma once

// Helpers for driving real windows in the test process.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

// Handles every message waiting for this thread's windows.
void pumpMessages();

// A plain visible top-level window to hold a control or a form.
HWND createHostWindow(int width, int height);

// Types ASCII text into a control the way the keyboard does, one WM_CHAR
// per character.
void typeKeys(HWND control, const std::string& text);

// Answers a modal dialog that the code under test is about to show: waits
// on another thread for a dialog window with `caption`, then presses the
// button `buttonId` in it.
class DialogAnswer {
public:
    // With `fileName`, the dialog is a file dialog whose name box gets it first.
    DialogAnswer(std::string caption, int buttonId, std::string fileName = std::string());
    ~DialogAnswer();
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    // Whether the dialog showed up and was answered.
    bool answered();

private:
    std::atomic<bool> done{false};
    std::thread worker;
};
