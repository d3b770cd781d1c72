#pragma once

// How a kept version of a sheet differs from the sheet a window shows, as
// the list of versions tells it beside each one.

#include <string>

class CharacterSheet;

// What the version has that the sheet shown does not, in a few words of the
// sheet form, code page 932: "ドール名 一番目 ･ パーツ 3 件多い ･ スキル 1 件少ない".
// A text is named with the version's value, a list by its count or by how
// many of its rows differ; at most three differences, then "ほか". Empty
// when they hold the same.
std::string versionDifference(const CharacterSheet& version, const CharacterSheet& shown);
