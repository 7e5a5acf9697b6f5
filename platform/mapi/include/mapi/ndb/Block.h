// Blocks: data blocks with their BLOCKTRAILER, and the internal blocks that
// tie them into trees (XBLOCK, XXBLOCK, SLBLOCK, SIBLOCK; [MS-PST] 2.2.2.8).
#pragma once

#include "mapi/Result.h"
#include "mapi/ndb/Format.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mapi::ndb {

struct BlockTrailer {
    std::uint16_t cb = 0;    // bytes of data before the padding
    std::uint16_t wSig = 0;  // ComputeSig(ib, bid)
    std::uint32_t dwCrc = 0; // CRC of the data
    std::uint64_t bid = 0;
    bool operator==(const BlockTrailer&) const = default;
};

// Bytes the block takes on disk: data and trailer, rounded up to 64.
std::size_t BlockDiskSize(Format format, std::size_t cb);

// The on-disk bytes of a Unicode block holding `data` (already encoded).
std::vector<std::uint8_t> WriteBlock(std::span<const std::uint8_t> data, std::uint64_t bid, std::uint64_t ib);
// Writes the padding and trailer of a Unicode block whose first `cb` bytes
// already hold its (encoded) data; `disk` is BlockDiskSize(cb) long.
void SealBlock(std::span<std::uint8_t> disk, std::size_t cb, std::uint64_t bid, std::uint64_t ib);
// Checks a block read from disk (exactly BlockDiskSize(cb) bytes) against its
// BBT entry and returns its stored data.
Result<std::vector<std::uint8_t>> ParseBlock(Format format, std::span<const std::uint8_t> disk, std::uint16_t cb,
                                             std::uint64_t bid, std::uint64_t ib);

inline constexpr std::uint8_t kBlockTypeData = 0x01;    // XBLOCK / XXBLOCK
inline constexpr std::uint8_t kBlockTypeSubnode = 0x02; // SLBLOCK / SIBLOCK

// XBLOCK (level 1: BIDs of data blocks) or XXBLOCK (level 2: BIDs of XBLOCKs).
struct XBlock {
    std::uint8_t level = 1;
    std::uint32_t lcbTotal = 0; // bytes of data under the whole tree
    std::vector<std::uint64_t> bids;
    bool operator==(const XBlock&) const = default;
};
std::size_t MaxXBlockEntries(Format format);
Result<XBlock> ParseXBlock(Format format, std::span<const std::uint8_t> data);
std::vector<std::uint8_t> WriteXBlock(const XBlock& block);

struct SlEntry {
    std::uint64_t nid = 0;
    std::uint64_t bidData = 0;
    std::uint64_t bidSub = 0;
    bool operator==(const SlEntry&) const = default;
};
struct SiEntry {
    std::uint64_t nid = 0; // lowest subnode NID under the SLBLOCK
    std::uint64_t bid = 0;
    bool operator==(const SiEntry&) const = default;
};
// SLBLOCK (level 0) or SIBLOCK (level 1).
struct SubnodeBlock {
    std::uint8_t level = 0;
    std::vector<SlEntry> leaves;
    std::vector<SiEntry> branches;
    bool operator==(const SubnodeBlock&) const = default;
};
std::size_t MaxSubnodeEntries(Format format, std::uint8_t level);
Result<SubnodeBlock> ParseSubnodeBlock(Format format, std::span<const std::uint8_t> data);
std::vector<std::uint8_t> WriteSubnodeBlock(const SubnodeBlock& block);

} // namespace mapi::ndb
