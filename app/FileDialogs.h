#pragma once

#include <string>

// The common file dialogs. `filter` is the platform's list of description
// and pattern pairs, each zero-terminated, ended by an empty text. Each
// answers the chosen full path, or an empty text when the user cancelled.
// Each kind of dialog opens with the name last chosen in it.
std::string askOpenFileName(const char* title, const char* filter, const char* defaultExtension);
std::string askSaveFileName(const char* title, const char* filter, const char* defaultExtension);

// The filter of the sheet file dialogs.
extern const char sheetFileFilter[];
