// Blocks this store wrote or read lately, as their stored bytes (before
// decoding), so that the next save finds the tables' and folders' blocks it
// just wrote without reading them back. A BID names one block's bytes for
// as long as the batch that wrote it stands; after a rollback the same BIDs
// are handed out again, so the owner clears the cache then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace mapi::ndb {

class CBlockCache {
public:
    explicit CBlockCache(std::size_t capacityBytes) : m_capacity(capacityBytes) {}

    // The stored bytes of block `bid` if held at `ib` with `cb` bytes; the
    // pointer stays valid until the next Put, Erase or Clear.
    const std::vector<std::uint8_t>* Find(std::uint64_t bid, std::uint64_t ib, std::size_t cb);
    // Holds the bytes of a block; the least recently used blocks go when the
    // cache holds more than its capacity. The bytes as held, or null when
    // they are larger than the whole cache.
    const std::vector<std::uint8_t>* Put(std::uint64_t bid, std::uint64_t ib, std::vector<std::uint8_t> bytes);
    void Erase(std::uint64_t bid);
    void Clear();
    std::size_t HeldBytes() const { return m_held; }

private:
    struct Entry {
        std::uint64_t ib;
        std::vector<std::uint8_t> bytes;
        std::list<std::uint64_t>::iterator use;
    };
    static std::uint64_t Key(std::uint64_t bid) { return bid & ~std::uint64_t{1}; }
    void Drop(std::unordered_map<std::uint64_t, Entry>::iterator it);

    std::unordered_map<std::uint64_t, Entry> m_entries;
    std::list<std::uint64_t> m_order; // most recently used first
    std::size_t m_held = 0;
    std::size_t m_capacity;
};

} // namespace mapi::ndb
