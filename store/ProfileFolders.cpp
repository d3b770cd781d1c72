#include "store/ProfileFolders.h"

#include <windows.h>

namespace {

std::wstring velmoraFolderIn(const wchar_t* variable) {
    const DWORD size = GetEnvironmentVariableW(variable, nullptr, 0);
    if (size == 0)
        return std::wstring();
    std::wstring folder(size, L'\0');
    folder.resize(GetEnvironmentVariableW(variable, folder.data(), size));
    return folder.empty() ? folder : folder + L"\\Velmora";
}

} // namespace

std::wstring settingsFolder() {
    return velmoraFolderIn(L"APPDATA");
}

std::wstring localFolder() {
    return velmoraFolderIn(L"LOCALAPPDATA");
}
