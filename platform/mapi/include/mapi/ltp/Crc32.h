#pragma once

#include <cstddef>
#include <cstdint>

namespace mapi::ltp {

// The CRC-32 of [MS-PST] 5.3 and [MS-OXRTFCP] 3.1.3.2: the reflected
// polynomial 0xEDB88320, seeded by the caller (0 for a fresh sum), without
// the final inversion of the zlib variant.
std::uint32_t ComputeCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

} // namespace mapi::ltp
