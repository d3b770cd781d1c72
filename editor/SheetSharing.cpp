#include "editor/SheetSharing.h"

#include "editor/Clipboard.h"
#include "sheet/WindowsText.h"

#include <shellapi.h>

namespace {

// The file name of a path, without its extension.
std::wstring sheetName(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/:");
    const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
    const std::size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

bool openWithDefaultProgram(const std::wstring& path) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // ShellExecute answers a number above 32 when it succeeded.
    return result > 32;
}

} // namespace

bool (*openInBrowser)(const std::wstring& path) = openWithDefaultProgram;

bool copyToClipboard(HWND owner, std::string_view utf8) {
    return putOnClipboard(owner, {utf8, {}});
}

std::wstring printablePagePath(const std::string& sheetPath) {
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    const std::wstring folder = std::wstring(temporary) + L"Velmora";
    CreateDirectoryW(folder.c_str(), nullptr);
    // The system's code page is the program's, 932.
    const std::wstring name = sheetPath.empty() ? L"新しいシート" : sheetName(wideOfNarrow(sheetPath));
    return folder + L"\\" + name + L".html";
}

bool writePage(const std::wstring& path, std::string_view bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    return CloseHandle(file) && whole;
}

std::string openPrintablePage(const std::wstring& path, std::string_view page) {
    const char* outcome = !writePage(path, page) ? "印刷用ページを作れませんでした: "
                          : openInBrowser(path)  ? "印刷用ページを開きました: "
                                                 : "印刷用ページを開けませんでした: ";
    return outcome + shownPath(path);
}
