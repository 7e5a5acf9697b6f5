// Explicit little-endian reads and writes of the on-disk fields. Readers are
// given the offset and must only be called after the caller checked the size.
// On a little-endian host the wide fields are copied whole: they are written
// for every entry of every page a commit writes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace mapi::ndb {

inline std::uint8_t Read8(std::span<const std::uint8_t> b, std::size_t at) { return b[at]; }
inline std::uint16_t Read16(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t v;
        std::memcpy(&v, b.subspan(at, 4).data(), 4);
        return v;
    }
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::uint64_t Read64(std::span<const std::uint8_t> b, std::size_t at)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t v;
        std::memcpy(&v, b.subspan(at, 8).data(), 8);
        return v;
    }
    return static_cast<std::uint64_t>(Read32(b, at)) | (static_cast<std::uint64_t>(Read32(b, at + 4)) << 32);
}

inline void Write8(std::span<std::uint8_t> b, std::size_t at, std::uint8_t v) { b[at] = v; }
inline void Write16(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Write32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(b.subspan(at, 4).data(), &v, 4);
        return;
    }
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Write64(std::span<std::uint8_t> b, std::size_t at, std::uint64_t v)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(b.subspan(at, 8).data(), &v, 8);
        return;
    }
    for (int i = 0; i < 8; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace mapi::ndb
