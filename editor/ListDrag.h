#pragma once

// Rows of the sheet's five lists dragged with the left button. A press on a
// row and a move of a few pixels drag the selected rows; a mark shows where
// they would land, before the row under the pointer's upper half, after it
// under the lower half, after the last row below the rows, and a list
// scrolls while the pointer is held near its top or bottom edge. Dropped in
// their list the rows move there, dropped on another they move to it,
// converted as a paste converts them; with Ctrl held at the drop they are
// copied. Esc, a release outside the lists or the capture lost cancels. A
// drop is one step of the form's history, and the rows stay selected where
// they landed.

#include <windows.h>

// Call once the form's lists are made.
void enableRowDragging();
