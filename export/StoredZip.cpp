#include "export/StoredZip.h"

#include <zlib.h>

namespace {

constexpr std::uint32_t localHeaderSignature = 0x04034B50;
constexpr std::uint32_t directoryHeaderSignature = 0x02014B50;
constexpr std::uint32_t directoryEndSignature = 0x06054B50;
constexpr std::uint16_t zipVersion = 20;                  // 2.0, which stored entries need
constexpr std::uint32_t firstOf1980 = (1 + 32 * 1) << 16; // the MS-DOS date and time of 1980-01-01 00:00
constexpr std::size_t localHeaderBytes = 30, directoryHeaderBytes = 46, directoryEndBytes = 22;
// minizip turns to ZIP's 64-bit extension from these on.
constexpr std::uint64_t zip64Bytes = 0xFFFFFFFF;
constexpr std::uint16_t zip64Entries = 0xFFFF;

// ZIP's numbers are little-endian.
void put(std::string& bytes, std::uint32_t value, int width) {
    for (int at = 0; at < width; ++at)
        bytes += static_cast<char>(value >> (8 * at) & 0xFF);
}

// What the entry's header in front of its bytes and its header in the
// directory both say of it, from its version needed on to its extra
// field's length.
std::string entryFields(std::string_view name, std::string_view bytes) {
    const auto crc = static_cast<std::uint32_t>(
        crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
    std::string fields;
    put(fields, zipVersion, 2);
    put(fields, 0, 2); // no flags
    put(fields, 0, 2); // stored
    put(fields, firstOf1980, 4);
    put(fields, crc, 4);
    put(fields, static_cast<std::uint32_t>(bytes.size()), 4); // compressed
    put(fields, static_cast<std::uint32_t>(bytes.size()), 4);
    put(fields, static_cast<std::uint32_t>(name.size()), 2);
    put(fields, 0, 2); // no extra field
    return fields;
}

} // namespace

bool StoredZip::write(std::string_view bytes) {
    written += bytes.size();
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool StoredZip::add(std::string_view name, std::string_view bytes) {
    const std::uint64_t archiveBytes = written + localHeaderBytes + name.size() + bytes.size() +
                                       directory.size() + directoryHeaderBytes + name.size() +
                                       directoryEndBytes;
    if (entries + 1 >= zip64Entries || archiveBytes >= zip64Bytes)
        return false;
    const std::string fields = entryFields(name, bytes);
    const auto offset = static_cast<std::uint32_t>(written);
    std::string header;
    put(header, localHeaderSignature, 4);
    header.append(fields).append(name);
    if (!write(header) || !write(bytes))
        return false;
    put(directory, directoryHeaderSignature, 4);
    put(directory, 0, 2); // made by version 0.0 on MS-DOS, as minizip says
    directory.append(fields);
    put(directory, 0, 2); // no comment
    put(directory, 0, 2); // on the first disk
    put(directory, 0, 2); // no internal attributes
    put(directory, 0, 4); // no external attributes
    put(directory, offset, 4);
    directory.append(name);
    ++entries;
    return true;
}

bool StoredZip::finish() {
    const auto start = static_cast<std::uint32_t>(written);
    std::string end;
    put(end, directoryEndSignature, 4);
    put(end, 0, 2); // this disk
    put(end, 0, 2); // the directory's disk
    put(end, entries, 2);
    put(end, entries, 2);
    put(end, static_cast<std::uint32_t>(directory.size()), 4);
    put(end, start, 4);
    put(end, 0, 2); // no comment
    return write(directory) && write(end);
}
