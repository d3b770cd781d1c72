#pragma once

// What a doll starts with: a first karma line, a first regret and three
// standard parts in each body location.

#include "sheet/CharacterSheet.h"

#include <vector>

extern const char firstKarmaLine[];
// The first regret row's target, content and madness effect.
extern const Regret firstRegret;

// The location's three standard parts, unticked, in sheet order.
std::vector<PartEntry> standardParts(BodyLocation location);
