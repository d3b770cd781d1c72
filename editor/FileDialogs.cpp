#include "editor/FileDialogs.h"

#include <windows.h>

#include <commdlg.h>

const char sheetFileFilter[] = "テキストファイル(*.txt)\0*.txt\0All files(*.*)\0*.*\0";
const char zipFileFilter[] = "ZIP ファイル (*.zip)\0*.zip\0";

namespace {

// The dialogs write the chosen names here and find them again next time.
struct NameBuffers {
    char path[MAX_PATH];
    char title[MAX_PATH];
};
NameBuffers openNames;
NameBuffers saveNames;

OPENFILENAMEA dialogFields(NameBuffers& names, const char* title, const char* filter,
                           const char* defaultExtension, DWORD flags) {
    OPENFILENAMEA fields{};
    // The classic layout, without the places bar fields.
    fields.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    fields.lpstrFilter = filter;
    fields.lpstrFile = names.path;
    fields.nMaxFile = MAX_PATH;
    fields.lpstrFileTitle = names.title;
    fields.nMaxFileTitle = MAX_PATH;
    fields.lpstrTitle = title;
    fields.Flags = flags;
    fields.lpstrDefExt = defaultExtension;
    return fields;
}

using FileDialog = BOOL(WINAPI*)(OPENFILENAMEA*);

// The dialogs' library is loaded the first time a dialog opens, not with
// the program: it brings the shell's libraries along, some 20 ms of every
// start-up under Wine, for dialogs many sessions never open. It is looked
// for in the system folder only, never beside a sheet.
FileDialog fileDialog(const char* name) {
    static const HMODULE library = LoadLibraryExA("comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr)
        return nullptr;
    return reinterpret_cast<FileDialog>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// A dialog that cannot be had fails like one that was cancelled.
std::string askFileName(const char* dialogName, NameBuffers& names, OPENFILENAMEA fields) {
    const FileDialog dialog = fileDialog(dialogName);
    return dialog != nullptr && dialog(&fields) ? std::string(names.path) : std::string();
}

} // namespace

std::string askOpenFileName(const char* title, const char* filter, const char* defaultExtension) {
    return askFileName("GetOpenFileNameA", openNames,
                       dialogFields(openNames, title, filter, defaultExtension, OFN_FILEMUSTEXIST));
}

std::string askSaveFileName(const char* title, const char* filter, const char* defaultExtension) {
    return askFileName("GetSaveFileNameA", saveNames,
                       dialogFields(saveNames, title, filter, defaultExtension, OFN_OVERWRITEPROMPT));
}

std::string askSaveFileNameIn(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                              const std::string& folder, const std::string& name) {
    NameBuffers names{};
    lstrcpynA(names.path, name.c_str(), MAX_PATH);
    // An output saved elsewhere leaves the working folder where it was: a
    // sheet's relative portrait path, read later on another thread, goes on
    // naming the same file.
    OPENFILENAMEA fields =
        dialogFields(names, title, filter, defaultExtension, OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR);
    fields.hwndOwner = owner;
    fields.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    return askFileName("GetSaveFileNameA", names, fields);
}
