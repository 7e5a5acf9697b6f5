// Pages: the 512-byte units of the B-trees and allocation maps, each closed by
// a PAGETRAILER ([MS-PST] 2.2.2.7).
#pragma once

#include "mapi/Result.h"
#include "mapi/ndb/Format.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mapi::ndb {

enum class PageType : std::uint8_t {
    BBT = 0x80,
    NBT = 0x81,
    FMap = 0x82,
    PMap = 0x83,
    AMap = 0x84,
    FPMap = 0x85,
    DList = 0x86,
};

struct PageTrailer {
    PageType ptype = PageType::AMap;
    std::uint16_t wSig = 0;  // ComputeSig(ib, bid) for B-tree and DList pages, 0 for maps
    std::uint32_t dwCrc = 0; // CRC of the page before the trailer
    std::uint64_t bid = 0;
    bool operator==(const PageTrailer&) const = default;
};

// [MS-PST] 5.5: the signature of a block or page at offset ib with that BID.
std::uint16_t ComputeSig(std::uint64_t ib, std::uint64_t bid);

// Reads the trailer of a whole page and checks the repeated type and the CRC.
Result<PageTrailer> ParsePageTrailer(Format format, std::span<const std::uint8_t> page);
// Fills the trailer of a Unicode page (bytes before it already written).
void SealPage(std::span<std::uint8_t> page, PageType type, std::uint64_t bid, std::uint16_t sig);

// The allocation maps: AMap (one bit per 64 bytes), PMap (one bit per page),
// FMap and FPMap (deprecated; Unicode writers fill them as the format asks).
// The bits live in the page before the trailer; the trailer's BID is the
// page's own offset.
Result<std::vector<std::uint8_t>> ParseMapPage(Format format, std::span<const std::uint8_t> page,
                                               PageType type, std::uint64_t ib);
std::vector<std::uint8_t> WriteMapPage(PageType type, std::span<const std::uint8_t> bits, std::uint64_t ib);

// The density list ([MS-PST] 2.2.2.7.4): pages ordered by free space.
struct DListEntry {
    std::uint32_t pageNumber = 0; // 20 bits: the AMap page index
    std::uint16_t freeSlots = 0;  // 12 bits: free 64-byte slots in it
    bool operator==(const DListEntry&) const = default;
};
struct DListPage {
    std::uint8_t flags = 0;        // 0x01 DFBackfillComplete
    std::uint32_t currentPage = 0; // AMap page being backfilled
    std::vector<DListEntry> entries;
    bool operator==(const DListPage&) const = default;
};
inline constexpr std::size_t kMaxDListEntries = 119;

Result<DListPage> ParseDListPage(std::span<const std::uint8_t> page);
std::vector<std::uint8_t> WriteDListPage(const DListPage& dlist, std::uint64_t ib, std::uint64_t bid);

} // namespace mapi::ndb
