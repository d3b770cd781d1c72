#pragma once

// xxHash64 (seed 0) of bytes that may come a part at a time, as a file read
// in parts gives them: the parts' hash is the hash of the parts joined. The
// store of versions hashes every sheet a save replaces with it: its four
// lanes take eight bytes a step, where FNV-1a (hashOfBytes) waits on a
// multiplication for every byte, which cost a long sheet's save a sixth of
// its time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

class XxHash64 {
public:
    XxHash64();
    void add(std::string_view part);
    std::uint64_t value() const;

private:
    static constexpr std::size_t stripeSize = 32;

    std::array<std::uint64_t, 4> lanes;
    std::array<char, stripeSize> held{}; // the bytes of a stripe not yet whole
    std::size_t heldSize = 0;
    std::uint64_t length = 0;
};

std::uint64_t xxHash64(std::string_view bytes);
