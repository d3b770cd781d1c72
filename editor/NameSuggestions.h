#pragma once

// The names a catalogue offers while a name is typed: a list under the name
// box of names that begin with what the box holds, those under the headings
// that fit the doll first. Down and Up move in it,
// Enter or a click takes a name into the box, Escape closes it (and not the
// dialog), and it closes when the focus leaves the box.

#include "editor/Catalogues.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class NameSuggestions {
public:
    NameSuggestions(HWND box, std::shared_ptr<const LoadedCatalogue> catalogue,
                    std::vector<std::string> fitting);
    ~NameSuggestions();
    NameSuggestions(const NameSuggestions&) = delete;
    NameSuggestions& operator=(const NameSuggestions&) = delete;

    // The box's text changed: offers the names that begin with it.
    void offer();
    // A notification from the dialog's controls: a click in the list takes
    // its name.
    void onCommand(HWND from, int notification);

private:
    static LRESULT CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR self);
    LRESULT onBoxMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool isOpen() const;
    int chosenRow() const;
    bool claimsKey(const MSG* message) const;
    void move(int step);
    void take();
    void close();

    HWND box;
    HWND list;
    std::shared_ptr<const LoadedCatalogue> catalogue;
    std::vector<std::string> fitting; // the headings that fit the doll
};
