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
