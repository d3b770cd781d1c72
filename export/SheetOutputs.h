#pragma once

// The sheet out of the program: four UTF-8 outputs of the one record, for a
// chat, an online table, other programs and paper. Each is a function of
// the record alone; texts are converted from code page 932 once, here.

#include "sheet/CharacterSheet.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

// The sheet as a player would type it into a chat, in the form's order.
std::string sheetText(const CharacterSheet& sheet);

// The piece the CCFOLIA online table takes when it is pasted into a room.
// Objects keep their members in the order written, so that a person reading
// the JSON finds them in the form's order.
nlohmann::ordered_json sheetPiece(const CharacterSheet& sheet);

// Every member of the record, named as the record names it, in the form's
// order, on one line.
std::string sheetJson(const CharacterSheet& sheet);

// One self-contained page to print: no script, nothing fetched when opened.
std::string sheetPage(const CharacterSheet& sheet);
// One page holding the sheets one after another, each from a new sheet of
// paper: the doll list prints a whole party at once.
std::string sheetsPage(const std::vector<const CharacterSheet*>& sheets);
