#pragma once

// What a portrait path names, judged on its text alone, before anything is
// opened: a sheet file comes from another player, and its portrait line must
// not make the program wait on a pipe or a device, nor connect to a server.

#include <string_view>

enum class PortraitPathKind {
    localFile, // a drive or relative path whose file part is an ordinary name
    network,   // a share on another machine: \\server\share, //server, \\?\UNC\...
    notAFile,  // the device namespace, a reserved device name, a NUL byte
};

// Code page 932 aware: a 0x5C byte that ends a double-byte character is no
// separator.
PortraitPathKind classifyPortraitPath(std::string_view path);

// The file name at the end of a path, after its drive and its last
// separator, with the same care for double-byte characters.
std::string_view filePart(std::string_view path);
