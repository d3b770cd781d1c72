#include "app/SheetTitle.h"

#include "app/ProgramVersion.h"

#include <cstdio>

std::string programTitle() {
    char title[100];
    std::snprintf(title, sizeof title, "Velmoraキャラ管理ツール ver %1.3lf", programVersion);
    return title;
}

std::string mainWindowTitle(const std::string& sheetPath, bool unsavedEdits) {
    if (sheetPath.empty() && !unsavedEdits)
        return programTitle();
    return (unsavedEdits ? "*" : "") + sheetName(sheetPath) + " - " + programTitle();
}
