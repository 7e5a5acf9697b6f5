// BTPAGE: a page of the node or block B-tree ([MS-PST] 2.2.2.7.7).
#pragma once

#include "mapi/Result.h"
#include "mapi/ndb/Format.h"
#include "mapi/ndb/Header.h"
#include "mapi/ndb/Page.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mapi::ndb {

// An intermediate entry: the lowest key under the child page and its place.
struct BtEntry {
    std::uint64_t key = 0;
    Bref bref;
    bool operator==(const BtEntry&) const = default;
};

// A leaf of the block B-tree: a block, its stored size and reference count.
struct BbtEntry {
    Bref bref;
    std::uint16_t cb = 0;
    std::uint16_t cRef = 2; // users of the block plus one, as Outlook counts
    std::uint64_t Key() const { return bref.bid & ~std::uint64_t{1}; }
    bool operator==(const BbtEntry&) const = default;
};

// A leaf of the node B-tree: the node's data block, subnode block and parent.
struct NbtEntry {
    std::uint64_t nid = 0;
    std::uint64_t bidData = 0;
    std::uint64_t bidSub = 0;
    std::uint32_t nidParent = 0;
    std::uint64_t Key() const { return nid; }
    bool operator==(const NbtEntry&) const = default;
};

struct BtPage {
    PageType type = PageType::NBT; // NBT or BBT
    std::uint8_t level = 0;        // 0 for leaves
    std::vector<BtEntry> branches; // level > 0
    std::vector<BbtEntry> blocks;  // BBT leaf
    std::vector<NbtEntry> nodes;   // NBT leaf
    bool operator==(const BtPage&) const = default;

    std::size_t Count() const
    {
        return level > 0 ? branches.size() : (type == PageType::BBT ? blocks.size() : nodes.size());
    }
};

inline constexpr std::uint8_t kMaxBTreeLevel = 8;

std::size_t MaxBtEntries(Format format, PageType type, std::uint8_t level);

// Parses a page read at `where.ib`, checking trailer, CRC, signature, BID and
// the entry counts against the page size.
Result<BtPage> ParseBtPage(Format format, std::span<const std::uint8_t> page, const Bref& where);
// Writes a Unicode page for that place.
std::vector<std::uint8_t> WriteBtPage(const BtPage& page, const Bref& where);

} // namespace mapi::ndb
