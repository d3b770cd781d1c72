#include "WindowTesting.h"

#include <commctrl.h>

#include <ctime>

namespace {

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* hostClass() {
    static const char* name = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = hostProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = "TestHost";
        RegisterClassA(&windowClass);
        return "TestHost";
    }();
    return name;
}

HWND findDialog(const std::string& caption) {
    HWND dialog = FindWindowA("#32770", caption.c_str());
    return dialog != nullptr && IsWindowVisible(dialog) ? dialog : nullptr;
}

void enterFileName(HWND dialog, const std::string& fileName) {
    SendMessageA(fileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()));
}

void setKeyState(BYTE key, BYTE state) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[key] = state;
    SetKeyboardState(keys);
}

} // namespace

// The file dialog's name box is the edit inside its combo box 0x47c.
HWND fileNameBox(HWND dialog) {
    HWND combo = GetDlgItem(dialog, 0x47c);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0));
    return edit != nullptr ? edit : FindWindowExA(combo, nullptr, "Edit", nullptr);
}

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND createHostWindow(int width, int height) {
    HWND host = CreateWindowExA(0, hostClass(), "test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
    return host;
}

void typeKeys(HWND control, const std::string& text) {
    for (char c : text)
        SendMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

HeldKey::HeldKey(BYTE key) : key(key) {
    setKeyState(key, 0x80);
}

HeldKey::~HeldKey() {
    setKeyState(key, 0);
}

DialogAnswer::DialogAnswer(std::string caption, int buttonId, std::string fileName)
    : DialogAnswer(std::move(caption), buttonId, [fileName = std::move(fileName)](HWND dialog) {
          if (!fileName.empty())
              enterFileName(dialog, fileName);
      }) {}

DialogAnswer::DialogAnswer(std::string caption, int buttonId, std::function<void(HWND)> fill, int waitSeconds)
    : worker([this, caption = std::move(caption), buttonId, fill = std::move(fill), waitSeconds] {
          answer(caption, buttonId, fill, waitSeconds);
      }) {}

void DialogAnswer::answer(const std::string& caption, int buttonId, const std::function<void(HWND)>& fill,
                          int waitSeconds) {
    const std::time_t giveUp = std::time(nullptr) + waitSeconds;
    while (std::time(nullptr) < giveUp) {
        if (HWND dialog = findDialog(caption)) {
            fill(dialog);
            if (buttonId != 0)
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
            done = true;
            return;
        }
        Sleep(20);
    }
}

DialogAnswer::~DialogAnswer() {
    if (worker.joinable())
        worker.join();
}

bool DialogAnswer::answered() {
    if (worker.joinable())
        worker.join();
    return done;
}
