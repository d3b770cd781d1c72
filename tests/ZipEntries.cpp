#include "ZipEntries.h"

#include <minizip/unzip.h>

#include <memory>

namespace {

std::optional<std::string> currentEntry(unzFile zip, std::string& name) {
    unz_file_info64 info{};
    char nameBuffer[256] = {};
    if (unzGetCurrentFileInfo64(zip, &info, nameBuffer, sizeof nameBuffer, nullptr, 0, nullptr, 0) !=
            UNZ_OK ||
        unzOpenCurrentFile(zip) != UNZ_OK)
        return std::nullopt;
    name = nameBuffer;
    std::string bytes(info.uncompressed_size, '\0');
    const int read = unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
    // Closing checks the CRC of what was read.
    const bool whole = unzCloseCurrentFile(zip) == UNZ_OK && read == static_cast<int>(bytes.size());
    return whole ? std::optional(bytes) : std::nullopt;
}

} // namespace

std::optional<std::map<std::string, std::string>> zipEntries(const std::string& path) {
    const std::unique_ptr<void, int (*)(unzFile)> zip(unzOpen64(path.c_str()), unzClose);
    if (zip == nullptr)
        return std::nullopt;
    std::map<std::string, std::string> entries;
    for (int more = unzGoToFirstFile(zip.get()); more == UNZ_OK; more = unzGoToNextFile(zip.get())) {
        std::string name;
        std::optional<std::string> bytes = currentEntry(zip.get(), name);
        if (!bytes)
            return std::nullopt;
        entries[name] = std::move(*bytes);
    }
    return entries;
}
