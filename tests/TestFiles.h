#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A fresh folder for one test, removed with everything in it afterwards.
// With `enter`, it is the working directory while it lives.
class ScratchFolder {
public:
    explicit ScratchFolder(bool enter = false);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // A path inside the folder, as the program's narrow file functions take it.
    std::string file(std::string_view name) const;

private:
    std::filesystem::path folder;
    std::filesystem::path previousWorkingFolder;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, std::string_view bytes);
bool fileExists(const std::string& path);

// The UTF-8 bytes of a text, as an editor saves it; the program's own
// literals are code page 932.
std::string utf8Bytes(std::u8string_view text);

// Every byte sequence that code page 932 may give a character: each single
// byte from 0x80 that is no lead byte and each lead byte with each trail byte.
std::vector<std::string> codePage932Codes();

// A fixture file that ships beside the tests.
std::string fixturePath(std::string_view name);
