#pragma once

// What the windows say of a piece file they save: the name it is offered
// under, and what became of it. Texts in code page 932.

#include "export/PieceArchive.h"

#include <string>
#include <string_view>
#include <vector>

// `dollName` (code page 932) with each character that a file name cannot
// hold (a separator, : * ? " < > |, a control character, a lead byte with
// no trail byte) and each dot or space at its end, which Windows drops,
// made "_"; a name that Windows opens as a device gets "_" in front, and an
// empty one is "無題".
std::string pieceFileName(std::string_view dollName);

// What the status bar says once the piece of `dollNames` (in the order they
// were given to it) was saved to `shownPath`, or was not.
std::string pieceOutcomeText(const PieceOutcome& outcome, const std::vector<std::string>& dollNames,
                             const std::string& shownPath);
