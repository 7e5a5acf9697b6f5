// The two file formats of [MS-PST]: Unicode (64-bit BIDs and offsets) and
// ANSI (32-bit). Sizes that differ between them live here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mapi::ndb {

enum class Format : std::uint8_t { Ansi, Unicode };

inline constexpr std::size_t kPageSize = 512;
inline constexpr std::size_t kMaxBlockSize = 8192;
inline constexpr std::uint64_t kFirstAMapOffset = 0x4400;
inline constexpr std::uint64_t kDListOffset = 0x4200;

// A BID's bit 1 marks an internal block (XBLOCK, XXBLOCK, SLBLOCK, SIBLOCK);
// bit 0 is reserved and cleared when BIDs are compared.
inline constexpr std::uint64_t kBidInternal = 0x2;
inline constexpr std::uint64_t kBidIncrement = 0x4;

struct FormatSizes {
    std::size_t idSize;          // a BID or IB
    std::size_t pageTrailer;     // PAGETRAILER
    std::size_t blockTrailer;    // BLOCKTRAILER
    std::size_t btEntries;       // the rgentries area of a BTPAGE
    std::size_t btEntry;         // BTENTRY (intermediate)
    std::size_t bbtEntry;        // BBTENTRY (block B-tree leaf)
    std::size_t nbtEntry;        // NBTENTRY (node B-tree leaf)
    std::size_t amapBits;        // bitmap bytes of an AMap page
    std::size_t internalHeader;  // XBLOCK/SLBLOCK header before the entries
    std::size_t slEntry;
    std::size_t siEntry;

    std::size_t MaxBlockData() const { return kMaxBlockSize - blockTrailer; }
    std::uint64_t AMapCoverage() const { return static_cast<std::uint64_t>(amapBits) * 8 * 64; }
};

inline constexpr FormatSizes kUnicodeSizes{8, 16, 16, 488, 24, 24, 32, 496, 8, 24, 16};
inline constexpr FormatSizes kAnsiSizes{4, 12, 12, 496, 12, 12, 16, 500, 8, 12, 8};

inline constexpr const FormatSizes& SizesOf(Format f) { return f == Format::Unicode ? kUnicodeSizes : kAnsiSizes; }

} // namespace mapi::ndb
