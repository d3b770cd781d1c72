#pragma once

#include <windows.h>

#include <string>

// The common file dialogs. `filter` is the platform's list of description
// and pattern pairs, each zero-terminated, ended by an empty text. Each
// answers the chosen full path, or an empty text when the user cancelled.
// Each kind of dialog opens with the name last chosen in it.
std::string askOpenFileName(const char* title, const char* filter, const char* defaultExtension);
std::string askSaveFileName(const char* title, const char* filter, const char* defaultExtension);

// A save dialog that opens in `folder` (the dialog's own choice when empty)
// with `name` in its name box, for a file named after what it holds.
std::string askSaveFileNameIn(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                              const std::string& folder, const std::string& name);

// The filter of the sheet file dialogs.
extern const char sheetFileFilter[];
// The filter of the dialogs that save a ZIP file.
extern const char zipFileFilter[];
