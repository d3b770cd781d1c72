#pragma once

// Portrait images for the record: a bitmap resource of the program, a
// bitmap file or a JPEG (file or RT_HTML resource), tried in that order by
// content, never by the file name's extension.

#include "portrait/JpegDecoder.h"
#include "sheet/CharacterSheet.h"

#include <windows.h>

#include <string>

// A new 24-bit bottom-up DIB section with the decoded JPEG resource of that
// name or, when there is none and `mayOpenFile`, the JPEG file, reduced as
// far as it stays `atLeast` (see decodeJpegFile); or null. The caller owns
// the bitmap.
HBITMAP loadJpegBitmap(const std::string& name, bool mayOpenFile, PictureSize atLeast = fullSize);

// The size in pixels of the frame portraits are painted into. A JPEG more
// than twice as large both ways is decoded reduced, to no less than twice
// the frame, so that each pixel of the frame still stands for a few of the
// picture; a JPEG larger than the frame both ways is then kept at the
// frame's size. Until a frame is known, pictures load at their own size.
void setPortraitFrameSize(PictureSize frame);

// Loads the image into a memory device context compatible with the screen;
// a null context when nothing loads, after telling the user so.
// Paths are opened only when they name a plain file, and a sheet file's
// path only when that file is on this machine; a picture missing there is
// looked for beside the sheet at `sheetPath` (findSheetPortrait).
LoadedPortrait loadPortraitImage(const std::string& path, PortraitOrigin origin,
                                 const std::string& sheetPath);
// Frees a context made by loadPortraitImage together with its bitmap.
void releasePortraitImage(PortraitDc dc);

// The loader the program installs for its record.
extern const PortraitLoader windowsPortraitLoader;
