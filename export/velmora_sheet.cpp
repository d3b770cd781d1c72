#include "export/SheetCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    return runSheetCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
