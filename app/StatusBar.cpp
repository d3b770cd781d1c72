#include "app/StatusBar.h"

#include <commctrl.h>

#include <ctime>

namespace {

HWND shownIn = nullptr;

// The local time as 24-hour "hh:mm:ss".
std::string timeOfDay() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[16];
    wsprintfA(text, "%02d:%02d:%02d", local->tm_hour, local->tm_min, local->tm_sec);
    return text;
}

} // namespace

void attachStatusBar(HWND statusBar) {
    shownIn = statusBar;
}

void setStatusText(const std::string& text) {
    SendMessageA(shownIn, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string statusText() {
    char text[1024] = {};
    if (LOWORD(SendMessageA(shownIn, SB_GETTEXTLENGTHA, 0, 0)) < sizeof text)
        SendMessageA(shownIn, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

void tellUser(const std::string& text) {
    setStatusText(timeOfDay() + " " + text);
}

// The sheet on screen and the file a save goes to stay as they were: a later
// save must not write this sheet over a file that could not be read.
void showOpenFailedMessage(const std::string& path) {
    tellUser("読み込めませんでした: " + path);
}
