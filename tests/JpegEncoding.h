#pragma once

// Pictures compressed by the library itself, for tests that need a JPEG of
// a kind or a size no fixture has.

#include <cstdio> // before <jpeglib.h>, which uses FILE
#include <string>
#include <vector>

#include <jpeglib.h>

struct PictureToEncode {
    int width = 0;
    int height = 0;
    int components = 3;
    J_COLOR_SPACE given = JCS_RGB;    // what `samples` hold, row after row
    J_COLOR_SPACE stored = JCS_YCbCr; // what the file holds
    std::vector<JSAMPLE> samples;
    int quality = 100;
    // Every component at full resolution, so that flat areas decode to
    // their own samples; otherwise colour is subsampled as a camera does.
    bool fullResolution = true;
};

std::string encodeJpeg(const PictureToEncode& picture);
