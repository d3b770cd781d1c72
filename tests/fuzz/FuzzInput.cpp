#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::string inputFile(const char* role) {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/sheet-fuzz-" + std::to_string(getpid()) + "-" + role;
}

std::string writeInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = inputFile("input");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    require(out != nullptr, "cannot write the input file");
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    return path;
}

std::string readFile(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    require(in != nullptr, "cannot read a written file");
    std::string bytes;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        bytes.append(chunk, got);
    std::fclose(in);
    return bytes;
}

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
