#include "FuzzInput.h"

#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::string inputFile(const char* role) {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/sheet-fuzz-" + std::to_string(getpid()) + "-" + role;
}

std::string writeInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = inputFile("input");
    writeBytes(path, std::string_view(reinterpret_cast<const char*>(data), size));
    return path;
}

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
