// velmora-sheet: the sheet's outputs from the command line, and the page of
// each sheet dropped on the program.
#include "export/SheetCommand.h"

#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The outputs are UTF-8 bytes; text mode would add carriage returns, so
    // that a redirected output differed from the file -o writes.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return runSheetCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
