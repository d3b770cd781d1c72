#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The whole text of a control, as code page 932 bytes.
std::string readControlText(HWND control);

// Shows `value` in `control` unless the control already shows
// that number (perhaps with leading zeros or blanks, which are left as the
// user typed them). An empty box or one holding "―" gets "0". Answers
// whether it wrote.
bool writeControlNumber(HWND control, std::int32_t value);

// Shows `text` in an edit box by replacing only the part that differs from
// what it shows, as typing would: the caret ends after the replaced part,
// and the rest of the box is neither set nor drawn again. Where the box's
// limit would cut the replacement, the whole text is set instead, as it
// would be otherwise.
void showEditedText(HWND box, const std::string& text);
