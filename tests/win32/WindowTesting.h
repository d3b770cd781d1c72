#pragma once

// Helpers for driving real windows in the test process.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// Handles every message waiting for this thread's windows.
void pumpMessages();

// A plain visible top-level window to hold a control or a form.
HWND createHostWindow(int width, int height);

// The edit field of a common file dialog's file name box.
HWND fileNameBox(HWND dialog);

// Types ASCII text into a control the way the keyboard does, one WM_CHAR
// per character.
void typeKeys(HWND control, const std::string& text);

// Holds a key such as Shift or Ctrl down in this thread's keyboard state, as
// GetKeyState reports it to the code under test, while it lives.
class HeldKey {
public:
    explicit HeldKey(BYTE key);
    ~HeldKey();
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

private:
    BYTE key;
};

// Answers a modal dialog that the code under test is about to show: waits
// on another thread for a dialog window with `caption`, then presses the
// button `buttonId` in it.
class DialogAnswer {
public:
    // With `fileName`, the dialog is a file dialog whose name box gets it first.
    DialogAnswer(std::string caption, int buttonId, std::string fileName = std::string());
    // `fill` runs on the dialog first, on the answering thread: it may read
    // and set the dialog's controls by message. With `buttonId` 0, `fill`
    // itself ends the dialog. A dialog that has not come after
    // `waitSeconds` is not waited for any longer.
    DialogAnswer(std::string caption, int buttonId, std::function<void(HWND dialog)> fill,
                 int waitSeconds = 20);
    ~DialogAnswer();
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    // Whether the dialog showed up and was answered.
    bool answered();

private:
    void answer(const std::string& caption, int buttonId, const std::function<void(HWND)>& fill,
                int waitSeconds);

    std::atomic<bool> done{false};
    std::thread worker;
};
