#include "BlockCache.h"

namespace mapi::ndb {

const std::vector<std::uint8_t>* CBlockCache::Find(std::uint64_t bid, std::uint64_t ib, std::size_t cb)
{
    auto it = m_entries.find(Key(bid));
    if (it == m_entries.end())
        return nullptr;
    // The B-tree's entry decides: a block held under the same BID elsewhere
    // or with another size is not this one.
    if (it->second.ib != ib || it->second.bytes.size() != cb) {
        Drop(it);
        return nullptr;
    }
    m_order.splice(m_order.begin(), m_order, it->second.use);
    return &it->second.bytes;
}

const std::vector<std::uint8_t>* CBlockCache::Put(std::uint64_t bid, std::uint64_t ib, std::vector<std::uint8_t> bytes)
{
    Erase(bid);
    if (bytes.size() > m_capacity)
        return nullptr;
    // The newest block is the first of the order and never the one to go.
    while (m_held + bytes.size() > m_capacity && !m_order.empty())
        Drop(m_entries.find(m_order.back()));
    m_held += bytes.size();
    m_order.push_front(Key(bid));
    auto placed = m_entries.emplace(Key(bid), Entry{ib, std::move(bytes), m_order.begin()});
    return &placed.first->second.bytes;
}

void CBlockCache::Erase(std::uint64_t bid)
{
    if (auto it = m_entries.find(Key(bid)); it != m_entries.end())
        Drop(it);
}

void CBlockCache::Clear()
{
    m_entries.clear();
    m_order.clear();
    m_held = 0;
}

void CBlockCache::Drop(std::unordered_map<std::uint64_t, Entry>::iterator it)
{
    m_held -= it->second.bytes.size();
    m_order.erase(it->second.use);
    m_entries.erase(it);
}

} // namespace mapi::ndb
