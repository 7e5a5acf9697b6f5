// The CRC of [MS-PST] 5.3: the reflected CRC-32 polynomial 0xEDB88320 over a
// table, started from the given value, without the final inversion of zlib's.
#pragma once

#include <cstdint>
#include <span>

namespace mapi::ndb {

std::uint32_t ComputeCrc(std::span<const std::uint8_t> data, std::uint32_t start = 0);

} // namespace mapi::ndb
