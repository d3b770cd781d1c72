#pragma once

// A ZIP archive of entries stored as they are, uncompressed, written
// straight into a file already open: each entry's bytes go out once, from
// where they lie, with no copy through a library's buffer on the way. Laid
// out as minizip lays out the same entries, down to the byte: every entry
// dated 1 January 1980, made by and for version 2.0, without extra fields
// or comments.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class StoredZip {
public:
    explicit StoredZip(std::FILE* file) : file(file) {}

    // False when the file would not take the entry, or when the archive
    // would then need ZIP's 64-bit extension: 65,535 entries, or 4 GiB.
    bool add(std::string_view name, std::string_view bytes);
    // The directory that ends the archive; false when it could not be
    // written.
    bool finish();

private:
    bool write(std::string_view bytes);

    std::FILE* file;
    std::uint64_t written = 0;
    std::string directory;
    std::uint16_t entries = 0;
};
