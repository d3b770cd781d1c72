#include "sheet/WindowsText.h"

#include <windows.h>

namespace {

std::wstring wideOf(std::string_view text, UINT codePage) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

// `usedDefault` is asked for only where the code page allows it: UTF-8 takes
// every character.
std::string narrowOf(std::wstring_view text, UINT codePage, DWORD flags, BOOL* usedDefault) {
    const int length = static_cast<int>(text.size());
    std::string narrow(static_cast<std::size_t>(WideCharToMultiByte(codePage, flags, text.data(), length,
                                                                    nullptr, 0, nullptr, nullptr)),
                       '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, narrow.data(), static_cast<int>(narrow.size()),
                        nullptr, usedDefault);
    return narrow;
}

} // namespace

std::optional<std::string> narrowPath(const std::wstring& path) {
    BOOL lost = FALSE;
    std::string narrow = narrowOf(path, CP_ACP, WC_NO_BEST_FIT_CHARS, &lost);
    if (lost || narrow.find('\0') != std::string::npos)
        return std::nullopt;
    return narrow;
}

std::wstring wideOfNarrow(std::string_view text) {
    return wideOf(text, CP_ACP);
}

std::string shownPath(const std::wstring& path) {
    return narrowOf(path, CP_ACP, 0, nullptr);
}
