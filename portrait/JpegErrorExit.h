#pragma once

// The library reports a fatal error by calling error_exit, which must not
// return. This one jumps back to where the caller started its work with the
// library instead of ending the program; everything between the jump and
// its target must be C code or frames without destructors.

#include <csetjmp>
#include <cstdio> // before <jpeglib.h>, which uses FILE

#include <jpeglib.h>

struct JpegErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf start; // set with setjmp before the library is first called
};

// Makes `errors` the library's standard manager with that jump as its fatal
// error exit and without messages, and answers it for a compression or
// decompression object's `err`.
jpeg_error_mgr* jumpBackOnJpegError(JpegErrorExit& errors);
