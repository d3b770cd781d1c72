#include "ProgramWindows.h"

#include <commctrl.h>
#include <dlgs.h>

#include <iterator>

#include <vector>

namespace {

constexpr DWORD pollIntervalMs = 50;

std::string seconds(DWORD milliseconds) {
    return std::to_string(milliseconds / 1000) + " s";
}

std::string windowTitle(HWND window) {
    wchar_t title[512] = {};
    GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    return bytesOfWide(title, 932);
}

std::vector<HWND> visibleProcessWindows(DWORD processId) {
    struct Collect {
        DWORD processId;
        std::vector<HWND> windows;
    } collect{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& c = *reinterpret_cast<Collect*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == c.processId && IsWindowVisible(window))
                c.windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    return collect.windows;
}

std::vector<HWND> descendantsOfClass(HWND parent, const char* className) {
    struct Collect {
        const char* className;
        std::vector<HWND> windows;
    } collect{className, {}};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            auto& c = *reinterpret_cast<Collect*>(param);
            if (windowClass(window) == c.className)
                c.windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    return collect.windows;
}

void post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageA(window, message, wParam, lParam))
        throw CheckFailed{"message " + std::to_string(message) + " could not be posted (error " +
                          std::to_string(GetLastError()) + ")"};
}

} // namespace

DWORD_PTR sendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const std::string& what) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, waitLimitMs, &result) == 0) {
        const DWORD error = GetLastError();
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        throw CheckFailed{"the program did not finish " + what + " within " + seconds(waitLimitMs) +
                          " (error " + std::to_string(error) +
                          "); it shows: " + describeProcessWindows(owner)};
    }
    return result;
}

void waitUntil(DWORD processId, const std::string& what, const std::function<bool()>& ready) {
    const ULONGLONG deadline = GetTickCount64() + waitLimitMs;
    while (!ready()) {
        if (GetTickCount64() > deadline)
            throw CheckFailed{"gave up after " + seconds(waitLimitMs) + " waiting for " + what +
                              "; the program shows: " + describeProcessWindows(processId)};
        Sleep(pollIntervalMs);
    }
}

std::wstring wideOfCodePage932(const std::string& text) {
    const int length = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

ProgramProcess::ProgramProcess(const std::string& program, const std::string& workingFolder,
                               const std::string& arguments) {
    std::wstring commandLine = wideOfCodePage932("\"" + program + "\" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(wideOfCodePage932(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, wideOfCodePage932(workingFolder).c_str(), &startup, &info))
        throw CheckFailed{"cannot start " + forLog(program) + " (error " + std::to_string(GetLastError()) +
                          ")"};
}

ProgramProcess::~ProgramProcess() {
    if (isRunning()) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, waitLimitMs);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

bool ProgramProcess::isRunning() const {
    return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ProgramProcess::waitForExit() {
    if (WaitForSingleObject(info.hProcess, waitLimitMs) != WAIT_OBJECT_0)
        throw CheckFailed{"the program was still running " + seconds(waitLimitMs) +
                          " later; it shows: " + describeProcessWindows(id())};
    DWORD exitCode = 0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    return exitCode;
}

void ProgramProcess::waitUntilIdle() {
    if (WaitForInputIdle(info.hProcess, waitLimitMs) != 0)
        throw CheckFailed{"the program did not come to rest in its message loop within " +
                          seconds(waitLimitMs)};
}

HWND findProcessWindow(DWORD processId, const char* className, const char* title) {
    for (HWND window : visibleProcessWindows(processId))
        if (windowClass(window) == className && (title == nullptr || windowTitle(window) == title))
            return window;
    return nullptr;
}

HWND waitForProcessWindow(DWORD processId, const char* className, const char* title,
                          const std::string& what) {
    HWND found = nullptr;
    waitUntil(processId, what,
              [&] { return (found = findProcessWindow(processId, className, title)) != nullptr; });
    return found;
}

void waitUntilGone(DWORD processId, HWND window, const std::string& what) {
    waitUntil(processId, what, [&] { return !IsWindow(window); });
}

HWND findDescendant(HWND parent, const char* className) {
    const std::vector<HWND> found = descendantsOfClass(parent, className);
    return found.empty() ? nullptr : found.front();
}

bool hasDescendantWithText(HWND parent, const char* className, const std::string& text) {
    for (HWND window : descendantsOfClass(parent, className))
        if (readText(window) == text)
            return true;
    return false;
}

std::string windowClass(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string readText(HWND window) {
    // WM_GETTEXT is copied across processes; the length is asked first so
    // that no text is cut.
    std::wstring text(sendAndWait(window, WM_GETTEXTLENGTH, 0, 0, "telling a text's length") + 1, L'\0');
    text.resize(sendAndWait(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            "handing over a text"));
    return bytesOfWide(text, 932);
}

void writeText(HWND window, const std::string& text) {
    const std::wstring wide = wideOfCodePage932(text);
    sendAndWait(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), "taking a typed text");
}

void settle(HWND window) {
    sendAndWait(window, WM_NULL, 0, 0, "what it was busy with");
}

void sendAcceleratorCommand(HWND window, WORD command) {
    // An accelerator key sends its command with 1 in the high word.
    sendAndWait(window, WM_COMMAND, MAKEWPARAM(command, 1), 0, "command " + std::to_string(command));
}

void postCommand(HWND window, WORD command) {
    if (!PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0))
        throw CheckFailed{"command " + std::to_string(command) + " could not be posted (error " +
                          std::to_string(GetLastError()) + ")"};
}

HWND focusInThreadOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void postClick(HWND window) {
    const LPARAM at = MAKELPARAM(2, 2);
    post(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    post(window, WM_LBUTTONUP, 0, at);
}

void postKey(HWND window, WPARAM key) {
    // Repeat count 1; the key-up also has the previous-state and transition bits.
    post(window, WM_KEYDOWN, key, 1);
    post(window, WM_KEYUP, key, 0xC0000001);
}

void postText(HWND window, const std::string& text) {
    for (char c : text)
        post(window, WM_CHAR, static_cast<unsigned char>(c), 1);
}

RECT listRowOnScreen(DWORD processId, HWND list, int row) {
    const HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr)
        throw CheckFailed{"the program's memory cannot be reached"};
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
    const bool read =
        remote != nullptr && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr) &&
        sendAndWait(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote), "a row's bounds") &&
        ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    if (remote != nullptr)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!read)
        throw CheckFailed{"the list has no row " + std::to_string(row)};
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void sendInput(INPUT input) {
    if (SendInput(1, &input, sizeof input) != 1)
        throw CheckFailed{"input could not be sent (error " + std::to_string(GetLastError()) + ")"};
    // Each step of the hand reaches the program before the next.
    Sleep(40);
}

void moveMouseTo(POINT onScreen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(onScreen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(onScreen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    sendInput(input);
}

void mouseButton(DWORD button) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = button;
    sendInput(input);
}

void holdKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    sendInput(input);
}

void pressKeys(std::initializer_list<WORD> keys) {
    for (WORD key : keys)
        holdKey(key, true);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        holdKey(*key, false);
}

void answerFileDialog(HWND dialog, const std::string& path) {
    // The name box is a combo box; what the user types goes into the edit
    // field inside it.
    HWND nameBox = GetDlgItem(dialog, cmb13);
    HWND nameField = nameBox != nullptr ? findDescendant(nameBox, "Edit") : nullptr;
    if (nameField == nullptr)
        throw CheckFailed{"the file dialog has no file name box"};
    writeText(nameField, path);
    if (const std::string shown = readText(nameField); shown != path)
        throw CheckFailed{"the file dialog's name box shows \"" + forLog(shown) +
                          "\" instead of the typed \"" + forLog(path) + "\""};
    // The dialog's toolbar also has the identifier of OK, so the command is
    // posted instead of clicking a button found by that identifier.
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0))
        throw CheckFailed{"OK could not be pressed in the file dialog (error " +
                          std::to_string(GetLastError()) + ")"};
}

void clickButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    if (button == nullptr)
        throw CheckFailed{"the dialog \"" + forLog(windowTitle(dialog)) + "\" has no button " +
                          std::to_string(buttonId)};
    sendAndWait(button, BM_CLICK, 0, 0, "a click on button " + std::to_string(buttonId));
}

std::string describeProcessWindows(DWORD processId) {
    std::string description;
    for (HWND window : visibleProcessWindows(processId))
        description += (description.empty() ? "" : ", ") + windowClass(window) + " \"" +
                       forLog(windowTitle(window)) + "\"";
    return description.empty() ? "no window" : description;
}

std::string bytesOfWide(const std::wstring& wide, UINT codePage) {
    const int wideLength = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), wideLength, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string forLog(const std::string& text) {
    return bytesOfWide(wideOfCodePage932(text), CP_UTF8);
}
