#include "store/XxHash64.h"

#include <algorithm>

namespace {

constexpr std::uint64_t prime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t prime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t prime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t prime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t prime5 = 0x27D4EB2F165667C5ULL;

constexpr std::uint64_t rotatedLeft(std::uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

// Little-endian whatever the machine; compilers make one load of it.
template <std::size_t size> std::uint64_t numberAt(const char* bytes) {
    std::uint64_t number = 0;
    for (std::size_t i = size; i-- > 0;)
        number = (number << 8) | static_cast<unsigned char>(bytes[i]);
    return number;
}

constexpr std::uint64_t mixed(std::uint64_t lane, std::uint64_t input) {
    return rotatedLeft(lane + input * prime2, 31) * prime1;
}

constexpr std::uint64_t merged(std::uint64_t hash, std::uint64_t lane) {
    return (hash ^ mixed(0, lane)) * prime1 + prime4;
}

using Lanes = std::array<std::uint64_t, 4>;

Lanes afterStripe(Lanes lanes, const char* stripe) {
    for (std::size_t lane = 0; lane < lanes.size(); ++lane)
        lanes[lane] = mixed(lanes[lane], numberAt<8>(stripe + 8 * lane));
    return lanes;
}

} // namespace

XxHash64::XxHash64() : lanes{prime1 + prime2, prime2, 0, 0 - prime1} {}

void XxHash64::add(std::string_view part) {
    length += part.size();
    if (heldSize > 0) {
        const std::size_t taken = std::min(part.size(), stripeSize - heldSize);
        std::copy_n(part.data(), taken, held.data() + heldSize);
        heldSize += taken;
        part.remove_prefix(taken);
        if (heldSize < stripeSize)
            return;
        lanes = afterStripe(lanes, held.data());
        heldSize = 0;
    }
    for (; part.size() >= stripeSize; part.remove_prefix(stripeSize))
        lanes = afterStripe(lanes, part.data());
    std::copy(part.begin(), part.end(), held.data());
    heldSize = part.size();
}

std::uint64_t XxHash64::value() const {
    std::uint64_t hash = prime5; // with the seed, 0, when no stripe was whole
    if (length >= stripeSize) {
        hash = rotatedLeft(lanes[0], 1) + rotatedLeft(lanes[1], 7) + rotatedLeft(lanes[2], 12) +
               rotatedLeft(lanes[3], 18);
        for (const std::uint64_t lane : lanes)
            hash = merged(hash, lane);
    }
    hash += length;
    std::string_view rest(held.data(), heldSize);
    for (; rest.size() >= 8; rest.remove_prefix(8))
        hash = rotatedLeft(hash ^ mixed(0, numberAt<8>(rest.data())), 27) * prime1 + prime4;
    if (rest.size() >= 4) {
        hash = rotatedLeft(hash ^ numberAt<4>(rest.data()) * prime1, 23) * prime2 + prime3;
        rest.remove_prefix(4);
    }
    for (const char byte : rest)
        hash = rotatedLeft(hash ^ static_cast<unsigned char>(byte) * prime5, 11) * prime1;
    hash = (hash ^ (hash >> 33)) * prime2;
    hash = (hash ^ (hash >> 29)) * prime3;
    return hash ^ (hash >> 32);
}

std::uint64_t xxHash64(std::string_view bytes) {
    XxHash64 hash;
    hash.add(bytes);
    return hash.value();
}
