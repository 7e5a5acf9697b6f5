#include "mapi/ltp/Crc32.h"

#include <array>

namespace mapi::ltp {

namespace {

std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

} // namespace

std::uint32_t ComputeCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = MakeTable();
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

} // namespace mapi::ltp
