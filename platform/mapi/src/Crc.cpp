#include "mapi/ndb/Crc.h"

#include <array>

namespace mapi::ndb {

namespace {

// The 256-entry table of [MS-PST] 5.3, derived from its polynomial.
constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr auto kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x77073096u && kCrcTable[255] == 0x2D02EF8Du);

} // namespace

std::uint32_t ComputeCrc(std::span<const std::uint8_t> data, std::uint32_t start)
{
    std::uint32_t crc = start;
    for (std::uint8_t b : data)
        crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc;
}

} // namespace mapi::ndb
