#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "mapi/NodeContent.h"

namespace mapi::ltp {

// Explicit little-endian reads and writes. Reads assume the caller checked
// the bounds; every parser checks them before it reads.
inline std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t ReadU64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(ReadU32(p)) | (static_cast<std::uint64_t>(ReadU32(p + 4)) << 32);
}

inline void WriteU16(std::uint8_t* p, std::uint16_t v) { p[0] = static_cast<std::uint8_t>(v); p[1] = static_cast<std::uint8_t>(v >> 8); }
inline void WriteU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void WriteU64(std::uint8_t* p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void AppendU8(Bytes& out, std::uint8_t v) { out.push_back(v); }
inline void AppendU16(Bytes& out, std::uint16_t v) { out.push_back(static_cast<std::uint8_t>(v)); out.push_back(static_cast<std::uint8_t>(v >> 8)); }
inline void AppendU32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void AppendU64(Bytes& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
// Four bytes of a 32-bit value (a key or a HID), sized once.
inline Bytes U32Bytes(std::uint32_t v)
{
    Bytes b(4);
    WriteU32(b.data(), v);
    return b;
}
inline void AppendBytes(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

inline std::uint64_t DoubleBits(double d) { std::uint64_t u; std::memcpy(&u, &d, 8); return u; }
inline double BitsDouble(std::uint64_t u) { double d; std::memcpy(&d, &u, 8); return d; }
inline std::uint32_t FloatBits(float f) { std::uint32_t u; std::memcpy(&u, &f, 4); return u; }
inline float BitsFloat(std::uint32_t u) { float f; std::memcpy(&f, &u, 4); return f; }

} // namespace mapi::ltp
