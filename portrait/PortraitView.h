#pragma once

// The portrait frame of the sheet form: the record's portrait painted over
// the whole frame, and a double click on the frame to remove the portrait or
// to choose one.

#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <string>

// Loads the portraits to come for this frame's size; the size is kept for
// the rest of the run (every sheet form has the same frame).
void fitPortraitsTo(HWND frame);

// The form's WM_PAINT: paints the portrait, if any, stretched over the frame.
// Answers whether it painted, and so validated the form; without a portrait
// the dialog's own paint does that.
bool paintPortrait(HWND form, HWND frame, const CharacterSheet& sheet);

// The form's WM_LBUTTONDBLCLK: inside the frame (edges included) it removes a
// shown portrait, or asks `chooseImage` for a path and loads it; the frame is
// painted again either way.
void handlePortraitDoubleClick(HWND form, HWND frame, CharacterSheet& sheet, LPARAM lParam,
                               std::string (*chooseImage)());

// Loads the picture at `path`, which the user chose, as the portrait in place
// of any shown one, and paints the frame again.
void showChosenPortrait(HWND form, HWND frame, CharacterSheet& sheet, const std::string& path);

bool screenRectToClient(HWND window, RECT* rect);
bool pointInRectInclusive(const RECT* rect, const POINT* point);

// The open dialog for a portrait file: bitmaps and JPEGs.
extern const char portraitFileFilter[];
