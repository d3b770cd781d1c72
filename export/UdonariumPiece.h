#pragma once

// The doll as the Udonarium online table reads a character: one UTF-8 XML
// document, written straight as text. Texts are converted from code page
// 932 here, once; a control byte in them is left out, never written.

#include "sheet/CharacterSheet.h"

#include <string>
#include <string_view>

// `imageIdentifier` names the portrait stored beside the document: the
// SHA-256 of its bytes in 64 lower-case hexadecimal digits, as the room
// names every picture it holds; empty for a doll without one.
std::string udonariumCharacter(const CharacterSheet& sheet, std::string_view imageIdentifier);
