#include "store/SheetName.h"

#include "portrait/PortraitPath.h"

std::string sheetName(const std::string& sheetPath) {
    return sheetPath.empty() ? "無題" : std::string(filePart(sheetPath));
}
