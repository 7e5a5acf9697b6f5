// The file HEADER and its ROOT ([MS-PST] 2.2.2.5, 2.2.2.6).
#pragma once

#include "mapi/Result.h"
#include "mapi/ndb/Crypt.h"
#include "mapi/ndb/Format.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace mapi::ndb {

inline constexpr std::uint32_t kHeaderMagic = 0x4E444221;   // "!BDN"
inline constexpr std::uint16_t kHeaderMagicClient = 0x4D53; // "SM"
inline constexpr std::uint16_t kVersionUnicode = 23;
inline constexpr std::uint16_t kVersionClient = 19;
inline constexpr std::size_t kHeaderSize = 564;
inline constexpr std::size_t kAnsiHeaderSize = 512;

// A block or page reference: its BID and its absolute file offset.
struct Bref {
    std::uint64_t bid = 0;
    std::uint64_t ib = 0;
    bool operator==(const Bref&) const = default;
};

inline constexpr std::uint8_t kAMapInvalid = 0x00;
inline constexpr std::uint8_t kAMapValid2 = 0x02;

struct Root {
    std::uint32_t dwReserved = 0;
    std::uint64_t ibFileEof = 0;   // the size of the file
    std::uint64_t ibAMapLast = 0;  // offset of the last AMap page
    std::uint64_t cbAMapFree = 0;  // free bytes over all AMap pages
    std::uint64_t cbPMapFree = 0;  // free bytes over all PMap pages
    Bref nbt;                      // root page of the node B-tree
    Bref bbt;                      // root page of the block B-tree
    std::uint8_t fAMapValid = kAMapValid2;
    std::uint8_t bReserved = 0;
    std::uint16_t wReserved = 0;
    bool operator==(const Root&) const = default;
};

struct Header {
    Format format = Format::Unicode;
    std::uint16_t wVer = kVersionUnicode;
    std::uint16_t wVerClient = kVersionClient;
    std::uint8_t bPlatformCreate = 0x01;
    std::uint8_t bPlatformAccess = 0x01;
    std::uint32_t dwReserved1 = 0;
    std::uint32_t dwReserved2 = 0;
    std::uint64_t bidUnused = 0;
    std::uint64_t bidNextP = 0;    // next page BID
    std::uint64_t bidNextB = 0;    // next data block BID
    std::uint32_t dwUnique = 0;    // changes with every header write
    std::array<std::uint32_t, 32> rgnid{}; // next nidIndex per NID type
    std::uint64_t qwUnused = 0;
    Root root;
    std::uint32_t dwAlign = 0;
    std::array<std::uint8_t, 128> rgbFM{}; // deprecated FMap copy, 0xFF
    std::array<std::uint8_t, 128> rgbFP{}; // deprecated FPMap copy, 0xFF
    CryptMethod bCryptMethod = CryptMethod::Permute;
    // Reserved bytes a writer keeps as it found them (zero in new files).
    std::uint16_t rgbReserved = 0;
    std::array<std::uint8_t, 3> rgbReserved2{};
    std::uint8_t bReserved = 0;
    std::array<std::uint8_t, 32> rgbReserved3{};
    bool operator==(const Header&) const = default;
};

// Parses the header bytes (at least kHeaderSize for Unicode, kAnsiHeaderSize
// for ANSI), checking magic, version and CRCs.
Result<Header> ParseHeader(std::span<const std::uint8_t> bytes);
// Writes a Unicode header with both CRCs.
std::vector<std::uint8_t> WriteHeader(const Header& header);

} // namespace mapi::ndb
