#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The readers take file names, so every input goes through a file of this
// process's own.
std::string inputFile(const char* role);
std::string writeInput(const std::uint8_t* data, std::size_t size);

// Ends the run with a finding when a property does not hold.
void require(bool holds, const char* what);
