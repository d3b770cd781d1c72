#pragma once

// The command-line program velmora-sheet, apart from its entry point:
//
//   velmora-sheet text|piece|json|html SHEET [-o OUT]
//   velmora-sheet udonarium SHEET... [-o OUT]
//   velmora-sheet SHEET...     (the page beside each sheet)

#include <ostream>
#include <string>
#include <vector>

// Runs one command line (without the program's name) and answers the exit
// status: 0 done, 1 a sheet that cannot be read or an output not written,
// 2 bad arguments.
int runSheetCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
