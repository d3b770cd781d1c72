#include "app/OtherWindows.h"

#include "app/MainWindowClass.h"
#include "app/StatusBar.h"
#include "sheet/WindowsText.h"

#include <cstring>

namespace {

// What the data of WM_COPYDATA is: "is this sheet yours?".
constexpr ULONG_PTR sheetQuestion = 0x56534854;
// No path Windows takes is longer.
constexpr DWORD longestPath = 32767;

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::wstring& path) {
    // No access asked for: a file another program holds open without
    // sharing is still known; a folder needs the backup flag to open at all.
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known)
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                        information.nFileIndexLow};
}

struct Search {
    HWND asking;
    const std::wstring& path;
    bool found = false;
};

bool isMainWindow(HWND window) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, mainWindowClassName) == 0;
}

// Whether `window` answers that it holds the sheet.
bool holds(HWND window, const Search& search) {
    const std::wstring& path = search.path;
    // The asking process, brought up by the user, may hand the front on.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    AllowSetForegroundWindow(process);
    COPYDATASTRUCT question{sheetQuestion, static_cast<DWORD>(path.size() * sizeof(wchar_t)),
                            const_cast<wchar_t*>(path.data())};
    DWORD_PTR answer = FALSE;
    return SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(search.asking),
                               reinterpret_cast<LPARAM>(&question), SMTO_ABORTIFHUNG, 1000, &answer) != 0 &&
           answer == TRUE;
}

BOOL CALLBACK askWindow(HWND window, LPARAM lParam) {
    Search& search = *reinterpret_cast<Search*>(lParam);
    if (window == search.asking || !isMainWindow(window) || !holds(window, search))
        return TRUE;
    search.found = true;
    return FALSE;
}

void comeForward(HWND window) {
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    // A question the window is asking stays in front of it.
    SetForegroundWindow(GetLastActivePopup(window));
}

} // namespace

bool shownElsewhere(HWND asking, const std::wstring& path) {
    Search search{asking, path};
    EnumWindows(askWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<std::wstring> askedSheetPath(const COPYDATASTRUCT& question) {
    if (question.dwData != sheetQuestion || question.lpData == nullptr ||
        question.cbData % sizeof(wchar_t) != 0 || question.cbData == 0 ||
        question.cbData > longestPath * sizeof(wchar_t))
        return std::nullopt;
    std::wstring path(question.cbData / sizeof(wchar_t), L'\0');
    std::memcpy(path.data(), question.lpData, question.cbData);
    if (path.find(L'\0') != std::wstring::npos)
        return std::nullopt;
    return path;
}

bool isSameFile(const std::wstring& first, const std::wstring& second) {
    const std::optional<FileIdentity> identity = identityOf(first);
    return identity && identity == identityOf(second);
}

LRESULT answerWhetherHeld(HWND window, const COPYDATASTRUCT& question, const std::string& heldPath) {
    const std::optional<std::wstring> asked = askedSheetPath(question);
    if (!asked || heldPath.empty() || !isSameFile(*asked, wideOfNarrow(heldPath)))
        return FALSE;
    comeForward(window);
    tellUser("このシートはこのウィンドウで開いています");
    return TRUE;
}
