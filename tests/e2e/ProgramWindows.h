#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

// Drives the windows of another process the way a user would, through the
// messages that Wine carries across processes: texts, clicks and commands.
// Texts are code page 932 byte strings, as the program holds them; they
// cross as wide texts, so that the driver works whatever its own code page.

// A check that did not hold; `what` is shown to the reader as it is.
struct CheckFailed {
    std::string what;
};

// How long any wait for the program goes on before the test gives up.
constexpr DWORD waitLimitMs = 20000;

// Asks `ready` again and again until it answers true; gives up with a
// message naming `what` (and the program's windows) after the wait limit.
void waitUntil(DWORD processId, const std::string& what, const std::function<bool()>& ready);

// The program under test, started in its own working folder with the
// command line's `arguments` (all texts in code page 932, crossing as wide
// texts). A program still running when this ends (a failed test) is ended
// by force.
class ProgramProcess {
public:
    ProgramProcess(const std::string& program, const std::string& workingFolder,
                   const std::string& arguments = std::string());
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    DWORD id() const { return info.dwProcessId; }
    bool isRunning() const;
    // Waits, within the wait limit, until the process has ended and answers its exit code.
    DWORD waitForExit();
    // Waits until the program first sits idle in its message loop.
    void waitUntilIdle();

private:
    PROCESS_INFORMATION info{};
};

// The first visible top-level window of the process with this class and,
// unless `title` is null, this title; null when there is none.
HWND findProcessWindow(DWORD processId, const char* className, const char* title);
HWND waitForProcessWindow(DWORD processId, const char* className, const char* title, const std::string& what);
// Dialogs hide well before they are destroyed, and the program goes on only
// after the destruction: this waits for the window handle to become invalid.
void waitUntilGone(DWORD processId, HWND window, const std::string& what);

// The first window of this class among all descendants of `parent`.
HWND findDescendant(HWND parent, const char* className);
// Whether one of the descendants of `parent` of this class shows `text`.
bool hasDescendantWithText(HWND parent, const char* className, const std::string& text);
std::string windowClass(HWND window);

// Sends a message and returns the program's answer once it has handled it;
// `what` names, for the failure message, what the program was to finish.
DWORD_PTR sendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const std::string& what);
std::string readText(HWND window);
void writeText(HWND window, const std::string& text);
// Returns once the window's thread has taken a message from its queue
// again. A sent message overtakes posted ones, so this settles only what
// the thread was already busy with, not a command just posted to it.
void settle(HWND window);
// Sends a command as an accelerator key does and returns once the program
// has carried it out; a dialog that the command opens makes this give up.
void sendAcceleratorCommand(HWND window, WORD command);
void postCommand(HWND window, WORD command);

// The window that has the keyboard focus in the thread of `window`; null
// when there is none.
HWND focusInThreadOf(HWND window);
// A click of the left button at the top left corner of `window`.
void postClick(HWND window);
// A key pressed and released in `window`, as the keyboard gives it.
void postKey(HWND window, WPARAM key);
// ASCII text typed into `window`, one character message a letter.
void postText(HWND window, const std::string& text);

// The bounds of a row of a list view in another process, on the screen. A
// pointer does not cross processes: the list is handed a rectangle in the
// program's own memory, read back afterwards.
RECT listRowOnScreen(DWORD processId, HWND list, int row);
// Real input, as the mouse and the keyboard give it, to whatever window is
// under the pointer or has the focus.
void moveMouseTo(POINT onScreen);
// MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTUP and the like, where the pointer is.
void mouseButton(DWORD button);
// The keys pressed in their order and released in the reverse order.
void pressKeys(std::initializer_list<WORD> keys);
void holdKey(WORD key, bool down);

// Types `path` into the name box of a common file dialog and presses OK.
void answerFileDialog(HWND dialog, const std::string& path);
void clickButton(HWND dialog, int buttonId);

// The visible top-level windows of the process, by class and title, for
// failure messages.
std::string describeProcessWindows(DWORD processId);
// A code page 932 text as a wide one.
std::wstring wideOfCodePage932(const std::string& text);
// A wide text in the bytes of `codePage`.
std::string bytesOfWide(const std::wstring& wide, UINT codePage);
// A code page 932 text as UTF-8, for the test's output.
std::string forLog(const std::string& text);
