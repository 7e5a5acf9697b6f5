#include "mapi/ndb/Crc.h"

#include <zlib.h>

#include <algorithm>

namespace mapi::ndb {

// zlib's CRC-32 is the same polynomial, table and reflection, but inverts the
// value on the way in and out; [MS-PST] uses the register as it is.
std::uint32_t ComputeCrc(std::span<const std::uint8_t> data, std::uint32_t start)
{
    uLong crc = ~start & 0xFFFFFFFFu;
    // zlib takes lengths as uInt; blocks and pages are far smaller, but a
    // caller's span is not bounded by type.
    while (!data.empty()) {
        const auto chunk = static_cast<uInt>(std::min<std::size_t>(data.size(), 1u << 30));
        crc = crc32(crc, data.data(), chunk);
        data = data.subspan(chunk);
    }
    return ~static_cast<std::uint32_t>(crc);
}

} // namespace mapi::ndb
