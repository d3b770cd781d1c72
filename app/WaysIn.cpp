#include "app/WaysIn.h"

#include "app/OtherWindows.h"
#include "app/ProgramStart.h"
#include "app/SheetDocument.h"
#include "app/StatusBar.h"
#include "editor/SheetForm.h"
#include "sheet/CharacterSheet.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::wstring fullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    return full;
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A bitmap file starts with "BM", a JPEG with its start-of-image marker.
bool startsAsPicture(const std::string& path) {
    unsigned char start[2] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    const std::size_t got = std::fread(start, 1, sizeof start, file);
    std::fclose(file);
    return got == sizeof start &&
           ((start[0] == 'B' && start[1] == 'M') || (start[0] == 0xFF && start[1] == 0xD8));
}

// The first sheet goes in place of the one shown; later ones, which must not
// take its place in turn, each to a window of its own.
void openOneSheet(HWND window, const std::wstring& path, const std::string& narrow, bool& openedHere) {
    if (openedHere) {
        if (!openInOwnWindow(path))
            showOpenFailedMessage(narrow);
        return;
    }
    openedHere = true;
    openSheetInPlace(window, narrow);
}

// The path as the program takes it, or nothing once the user has been told
// that it cannot be opened.
std::optional<std::string> openablePath(const std::wstring& path) {
    std::optional<std::string> narrow = narrowPath(path);
    if (!narrow)
        showOpenFailedMessage(shownPath(path));
    return narrow;
}

enum class Dropped { sheet, picture, other };

Dropped kindOf(const std::wstring& path, const std::string& narrow) {
    if (isFolder(path))
        return Dropped::other;
    if (isSheetFile(narrow))
        return Dropped::sheet;
    return startsAsPicture(narrow) ? Dropped::picture : Dropped::other;
}

void openDroppedFile(HWND window, const std::wstring& path, bool& openedHere) {
    const std::optional<std::string> narrow = openablePath(path);
    if (!narrow)
        return;
    switch (kindOf(path, *narrow)) {
    case Dropped::sheet:
        if (!shownElsewhere(window, path))
            openOneSheet(window, path, *narrow, openedHere);
        break;
    case Dropped::picture: showPortraitFile(*narrow); break;
    case Dropped::other: showOpenFailedMessage(*narrow); break;
    }
}

struct ArgumentsFree {
    void operator()(LPWSTR* arguments) const { LocalFree(arguments); }
};

} // namespace

bool (*openInOwnWindow)(const std::wstring& sheetPath) = startProgramWith;

std::string referenceFolder() {
    if (isFolder(L"Database"))
        return std::string();
    const std::wstring program = programPath();
    const std::optional<std::string> folder = narrowPath(program.substr(0, program.find_last_of(L"\\/") + 1));
    return folder.value_or(std::string());
}

namespace {

constexpr std::wstring_view recoverySwitch = L"/recover:";

// The command line's arguments after the program.
std::vector<std::wstring> commandLineArguments() {
    // The C runtime has counted the arguments already; a start that names
    // none does without shell32, which the split below would load.
    if (__argc < 2)
        return {};
    int count = 0;
    const std::unique_ptr<LPWSTR, ArgumentsFree> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> found;
    for (int i = 1; arguments != nullptr && i < count; ++i)
        found.emplace_back(arguments.get()[i]);
    return found;
}

} // namespace

std::optional<std::wstring> recoveryCopyArgument() {
    const std::vector<std::wstring> arguments = commandLineArguments();
    if (arguments.size() != 1 || !arguments.front().starts_with(recoverySwitch))
        return std::nullopt;
    return arguments.front().substr(recoverySwitch.size());
}

std::vector<std::wstring> commandLinePaths() {
    std::vector<std::wstring> paths;
    if (recoveryCopyArgument())
        return paths;
    for (const std::wstring& argument : commandLineArguments())
        paths.push_back(fullPath(argument));
    return paths;
}

std::vector<std::wstring> sheetsHeldNowhere(const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> nowhere;
    for (const std::wstring& path : paths) {
        if (!shownElsewhere(nullptr, path))
            nowhere.push_back(path);
    }
    return nowhere;
}

void openSheets(HWND window, const std::vector<std::wstring>& paths) {
    bool openedHere = false;
    for (const std::wstring& path : paths) {
        if (const std::optional<std::string> narrow = openablePath(path))
            openOneSheet(window, path, *narrow, openedHere);
    }
}

void openSheetHere(HWND window, const std::wstring& path) {
    if (shownElsewhere(window, path))
        return;
    if (const std::optional<std::string> narrow = openablePath(path))
        openSheetInPlace(window, *narrow);
}

void openDroppedFiles(HWND window, HDROP drop) {
    std::vector<std::wstring> paths(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
    for (UINT i = 0; i < paths.size(); ++i) {
        paths[i].resize(DragQueryFileW(drop, i, nullptr, 0) + 1);
        paths[i].resize(DragQueryFileW(drop, i, paths[i].data(), static_cast<UINT>(paths[i].size())));
    }
    DragFinish(drop);
    bool openedHere = false;
    for (const std::wstring& path : paths)
        openDroppedFile(window, path, openedHere);
}

namespace {

class MainWindowForDolls final : public DollListOwner {
public:
    explicit MainWindowForDolls(HWND window) : window(window) {}

    // As Explorer starts the program for a sheet: a name that code page 932
    // cannot hold is refused as the command line refuses it.
    void openSheet(const std::wstring& path, bool newWindow) override {
        if (!newWindow)
            openSheetHere(window, path);
        else if (!narrowPath(path) || !openInOwnWindow(path))
            tellCouldNotRead(path);
    }
    void tell(const std::string& text) override { tellUser(text); }
    void tellCouldNotRead(const std::wstring& path) override { showOpenFailedMessage(shownPath(path)); }
    std::string sheetPath() const override { return currentSheetPath; }

private:
    HWND window;
};

} // namespace

std::unique_ptr<DollListOwner> dollListOwnerFor(HWND window) {
    return std::make_unique<MainWindowForDolls>(window);
}
