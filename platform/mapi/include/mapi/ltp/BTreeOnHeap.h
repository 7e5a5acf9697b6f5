#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "mapi/ltp/HeapOnNode.h"

namespace mapi::ltp {

// BTHHEADER ([MS-PST] 2.3.2.1), one heap item of 8 bytes:
//   bType 1 (kClientBTreeOnHeap), cbKey 1 (2, 4, 8 or 16), cbEnt 1 (1..32),
//   bIdxLevels 1 (0: the root is a leaf), hidRoot 4 (0: empty tree).
// Index records are key + HID of the child; leaf records key + data. Each node
// is one heap item; keys are little-endian unsigned integers.
struct BthHeader {
    std::uint8_t cbKey = 0;
    std::uint8_t cbEnt = 0;
    std::uint8_t levels = 0;
    Hid root = 0;
};

struct BthRecord {
    Bytes key;
    Bytes data;
};

// Operations on a BTH living in a heap, named by the HID of its header. The
// heap may move nodes while it grows; the tree keeps its header HID.
class CBTreeOnHeap {
public:
    static constexpr std::size_t kHeaderSize = 8;
    static constexpr std::uint8_t kMaxLevels = 8;

    static Result<Hid> Create(CHeapOnNode& heap, std::uint8_t cbKey, std::uint8_t cbEnt);
    // Builds a tree from records sorted by key, packing nodes full.
    static Result<Hid> Build(CHeapOnNode& heap, std::uint8_t cbKey, std::uint8_t cbEnt,
                             const std::vector<BthRecord>& sorted);
    // The same tree from sorted records packed back to back (key, then
    // data), as a property context lays them out: a tree of one leaf takes
    // the bytes as its leaf, with no record made on its own.
    static Result<Hid> BuildPacked(CHeapOnNode& heap, std::uint8_t cbKey, std::uint8_t cbEnt, Bytes packed);

    static Result<BthHeader> ReadHeader(const CHeapOnNode& heap, Hid header);
    static Result<std::optional<Bytes>> Find(const CHeapOnNode& heap, Hid header, const Bytes& key);
    static Result<std::vector<BthRecord>> Enumerate(const CHeapOnNode& heap, Hid header);

    // Inserts a record, or replaces the data of the record with that key.
    static Result<void> Insert(CHeapOnNode& heap, Hid header, const Bytes& key, const Bytes& data);
    // Removes a record; true when it existed.
    static Result<bool> Remove(CHeapOnNode& heap, Hid header, const Bytes& key);
    // Frees every node and the header.
    static Result<void> Destroy(CHeapOnNode& heap, Hid header);

    static int CompareKeys(const Bytes& a, const Bytes& b);
    static Bytes KeyFromU32(std::uint32_t value, std::size_t size);
};

} // namespace mapi::ltp
