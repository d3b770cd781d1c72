#pragma once

// The catalogue dialog "CATALOGDLG": the entries of the parts or skills
// catalogue that match a search and a group, to add to a list several at
// a time.

#include "editor/Catalogues.h"
#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <string>
#include <vector>

// The entries chosen, in the catalogue's order and unticked; none when the
// dialog was closed. The group choice starts on `group` when the file has
// that heading, else on "このドール向け" when a heading names one of the
// doll's choices `doll`.
std::vector<PartEntry> chooseFromCatalogue(HWND owner, CatalogueKind kind, const std::string& group,
                                           const DollChoices& doll = {});
