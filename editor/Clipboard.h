#pragma once

// The clipboard as the program uses it: Unicode text that any program
// takes, beside the program's own format for entries of its lists.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// What goes on the clipboard at once: a UTF-8 text (put as Unicode text,
// its line breaks as CR LF) and, when not empty, bytes in the program's own
// entry format.
struct ClipboardContents {
    std::string_view utf8;
    std::string_view ownEntries;
};

// Replaces the clipboard's contents; false when the clipboard could not be
// had, or took nothing.
bool putOnClipboard(HWND owner, const ClipboardContents& contents);

// The program's own entries, when the clipboard holds them.
std::optional<std::string> clipboardOwnEntries(HWND owner);
// The clipboard's Unicode text as UTF-8, when it holds text.
std::optional<std::string> clipboardText(HWND owner);
// Whether the clipboard holds anything a list can take.
bool clipboardHasEntriesOrText();
