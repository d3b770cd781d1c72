#include "TestFiles.h"

#include <atomic>
#include <cstdio>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

// Paths are code page 932 texts, as the program holds them, whatever code
// page the test program itself runs in.
std::FILE* openFile(const std::string& path, std::string_view mode) {
#ifdef _WIN32
    const int length = MultiByteToWideChar(932, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring widePath(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(932, 0, path.data(), static_cast<int>(path.size()), widePath.data(), length);
    return _wfopen(widePath.c_str(), std::wstring(mode.begin(), mode.end()).c_str());
#else
    return std::fopen(path.c_str(), std::string(mode).c_str());
#endif
}

fs::path uniqueFolder() {
    // <chrono> cannot be compiled for the code page 932 execution set (it
    // spells "µs"), so the name comes from a random device and a counter.
    static const unsigned run = std::random_device()();
    static std::atomic<unsigned> counter{0};
    return fs::temp_directory_path() /
           ("sheet-test-" + std::to_string(run) + "-" + std::to_string(counter++));
}

} // namespace

ScratchFolder::ScratchFolder(bool enter) : folder(uniqueFolder()) {
    fs::create_directories(folder);
    if (enter) {
        previousWorkingFolder = fs::current_path();
        fs::current_path(folder);
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!previousWorkingFolder.empty())
        fs::current_path(previousWorkingFolder, ignored);
    fs::remove_all(folder, ignored);
}

std::string ScratchFolder::file(std::string_view name) const {
    return (folder / "").string() + std::string(name);
}

std::string readBytes(const std::string& path) {
    std::FILE* in = openFile(path, "rb");
    if (in == nullptr)
        throw std::runtime_error("cannot read " + path);
    std::string bytes;
    char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        bytes.append(chunk, got);
    std::fclose(in);
    return bytes;
}

void writeBytes(const std::string& path, std::string_view bytes) {
    std::FILE* out = openFile(path, "wb");
    if (out == nullptr)
        throw std::runtime_error("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

bool fileExists(const std::string& path) {
    std::FILE* in = openFile(path, "rb");
    if (in != nullptr)
        std::fclose(in);
    return in != nullptr;
}

std::string utf8Bytes(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

std::string fixturePath(std::string_view name) {
    return std::string(TEST_DATA_DIR "/") + std::string(name);
}

std::vector<std::string> codePage932Codes() {
    const auto isLead = [](unsigned byte) {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    };
    std::vector<std::string> codes;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        if (!isLead(lead))
            codes.push_back(std::string(1, static_cast<char>(lead)));
        for (unsigned trail = 0x40; isLead(lead) && trail <= 0xFC; ++trail)
            if (trail != 0x7F)
                codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
    return codes;
}
