#pragma once

#include <map>
#include <optional>
#include <string>

// Every entry of the ZIP at `path`, read back through minizip, by name;
// nothing when the file is no ZIP or an entry does not read back whole with
// its CRC.
std::optional<std::map<std::string, std::string>> zipEntries(const std::string& path);
