#pragma once

// All the doll list may ask of the window that owns it. The window hands
// it in when it opens the list, so that the list knows nothing of its
// owner's files.

#include <string>

class DollListOwner {
public:
    virtual ~DollListOwner() = default;
    // Opens the sheet at `path` in the owner's window, after its question
    // about unsaved edits, or in a window of its own.
    virtual void openSheet(const std::wstring& path, bool newWindow) = 0;
    // Says `text` in the owner's status bar.
    virtual void tell(const std::string& text) = 0;
    // Says that the file at `path` could not be read.
    virtual void tellCouldNotRead(const std::wstring& path) = 0;
    // The owner's sheet's file (code page 932), empty for a sheet never
    // saved: where the list starts when it kept no folder.
    virtual std::string sheetPath() const = 0;
};
