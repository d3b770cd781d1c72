#include "app/SheetTitle.h"

#include "app/ProgramVersion.h"
#include "portrait/PortraitPath.h"

#include <cstdio>

std::string programTitle() {
    char title[100];
    std::snprintf(title, sizeof title, "Velmoraキャラ管理ツール ver %1.3lf", programVersion);
    return title;
}

std::string sheetName(const std::string& sheetPath) {
    return sheetPath.empty() ? "無題" : std::string(filePart(sheetPath));
}

std::string mainWindowTitle(const std::string& sheetPath, bool unsavedEdits) {
    if (sheetPath.empty() && !unsavedEdits)
        return programTitle();
    return (unsavedEdits ? "*" : "") + sheetName(sheetPath) + " - " + programTitle();
}
