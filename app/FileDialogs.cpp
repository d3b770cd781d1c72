#include "app/FileDialogs.h"

#include <windows.h>

#include <commdlg.h>

const char sheetFileFilter[] = "テキストファイル(*.txt)\0*.txt\0All files(*.*)\0*.*\0";

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

} // namespace

std::string askOpenFileName(const char* title, const char* filter, const char* defaultExtension) {
    OPENFILENAMEA fields = dialogFields(openNames, title, filter, defaultExtension, OFN_FILEMUSTEXIST);
    return GetOpenFileNameA(&fields) ? std::string(openNames.path) : std::string();
}

std::string askSaveFileName(const char* title, const char* filter, const char* defaultExtension) {
    OPENFILENAMEA fields = dialogFields(saveNames, title, filter, defaultExtension, OFN_OVERWRITEPROMPT);
    return GetSaveFileNameA(&fields) ? std::string(saveNames.path) : std::string();
}
