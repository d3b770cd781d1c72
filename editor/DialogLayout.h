#pragma once

// A dialog that the user can make larger: each control keeps its place in
// the template, moved right and down with the window's growth, or
// stretched with it, and the window is no smaller than half its template.

#include <windows.h>

#include <span>
#include <vector>

struct ControlPlace {
    int id;
    bool followsRight, followsBottom, stretchesWide, stretchesTall;
};

// The template's client size and each control's place in it, in pixels.
struct DialogLayout {
    SIZE designSize{};
    std::vector<RECT> designed;
};

// Taken as the dialog starts, before it is made any larger.
DialogLayout designedLayout(HWND dialog, std::span<const ControlPlace> places);
void placeControls(HWND dialog, const DialogLayout& layout, std::span<const ControlPlace> places, int width,
                   int height);
void limitToHalfTheDesign(HWND dialog, const DialogLayout& layout, MINMAXINFO& limits);
