#include "export/SheetCommand.h"

int runSheetCommand(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "velmora-sheet: not ready\n";
    return 2;
}
