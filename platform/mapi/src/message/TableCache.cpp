#include "TableCache.h"

#include "Bridge.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

namespace mapi::message {

namespace {

// Blocks of a table: `changed` marks those changed since the last write (a
// block past its end is new), `size` and `bytes` give them.
template <class Size, class Make>
BlockStream Stream(std::size_t count, const std::vector<bool>& changed, Size size, Make bytes)
{
    BlockStream s;
    s.count = count;
    s.nextChanged = [&changed](std::size_t i) {
        if (i >= changed.size())
            return i;
        return static_cast<std::size_t>(std::find(changed.begin() + static_cast<std::ptrdiff_t>(i), changed.end(), true) -
                                        changed.begin());
    };
    s.size = size;
    s.bytes = bytes;
    return s;
}

} // namespace

NodeUpdate TableChanges(const ltp::CTableContext& table)
{
    NodeUpdate update;
    update.data = Stream(
        table.HeapPageCount(), table.ChangedHeapPages(), [&table](std::size_t i) { return table.HeapPageSize(i); },
        [&table](std::size_t i) { return table.HeapPage(i); });
    if (table.MatrixNid() != 0)
        update.subnodes[table.MatrixNid()] = Stream(
            table.MatrixBlockCount(), table.ChangedMatrixBlocks(),
            [&table](std::size_t i) { return table.MatrixBlockSize(i); },
            [&table](std::size_t i) { return table.MatrixBlock(i); });
    for (std::uint32_t nid : table.ChangedValueSubnodes()) {
        if (const NodeContent* value = table.ValueSubnode(nid))
            update.subnodes[nid] = BlockStream::Whole(value->blocks);
        else
            update.subnodes[nid] = std::nullopt;
    }
    return update;
}

void CTableCache::Attach(CNodeDatabase& db, Nid nid, ltp::CTableContext& table)
{
    auto fromLtp = [](Result<Bytes>&& r) -> ltp::Result<Bytes> {
        if (!r)
            return ltp::MakeError(r.Message());
        return std::move(*r);
    };
    CNodeDatabase* file = &db;
    table.SetSources([file, nid, fromLtp](std::size_t page) { return fromLtp(file->ReadNodeBlock(nid, page)); },
                     [file, nid, fromLtp, &table](std::size_t block) {
                         return fromLtp(file->ReadSubnodeBlock(nid, table.MatrixNid(), block));
                     });
}

Result<ltp::CTableContext*> CTableCache::Get(CNodeDatabase& db, Nid nid)
{
    auto it = m_tables.find(nid);
    if (it == m_tables.end()) {
        // Read a block at a time: a large folder's table never sits in
        // memory whole.
        auto pages = db.BlockSizes(nid);
        if (!pages)
            return pages.GetError();
        auto subnodes = db.ListSubnodes(nid);
        if (!subnodes)
            return subnodes.GetError();
        auto fromLtp = [](auto&& r) -> ltp::Result<std::decay_t<decltype(*r)>> {
            if (!r)
                return ltp::MakeError(r.Message());
            return std::move(*r);
        };
        CNodeDatabase* file = &db;
        ltp::CTableContext::LazySource source;
        source.heapPages = pages->size();
        source.heapPage = [file, nid, fromLtp](std::size_t page) { return fromLtp(file->ReadNodeBlock(nid, page)); };
        source.subnodes.assign(subnodes->begin(), subnodes->end());
        source.subnode = [file, nid, fromLtp](std::uint32_t sub) { return fromLtp(file->ReadSubnode(nid, sub)); };
        source.blockSizes = [file, nid, fromLtp](std::uint32_t sub) { return fromLtp(file->BlockSizes(nid, sub)); };
        source.subnodeBlock = [file, nid, fromLtp](std::uint32_t sub, std::size_t block) {
            return fromLtp(file->ReadSubnodeBlock(nid, sub, block));
        };
        auto table = FromLtp(ltp::CTableContext::LoadLazily(source), "table " + std::to_string(nid));
        if (!table)
            return table.GetError();
        it = m_tables.emplace(nid, Entry{std::move(*table), true, 0}).first;
        Attach(db, nid, it->second.table);
        it->second.table.EvictClean();
    }
    it->second.lastUse = ++m_clock;
    return &it->second.table;
}

ltp::CTableContext& CTableCache::AddNew(Nid nid, ltp::CTableContext table)
{
    Entry& entry = m_tables.insert_or_assign(nid, Entry{std::move(table), false, ++m_clock}).first->second;
    return entry.table;
}

Result<void> CTableCache::Write(CNodeDatabase& db, Nid nid, Nid parent)
{
    auto it = m_tables.find(nid);
    if (it == m_tables.end())
        return MakeError("table " + std::to_string(nid) + " is not held");
    Entry& entry = it->second;
    if (entry.stored)
        MAPI_TRY(db.UpdateNode(nid, parent, TableChanges(entry.table)));
    else
        MAPI_TRY(db.WriteNode(nid, parent, entry.table.ToNode()));
    entry.table.ClearChanged();
    if (!entry.stored)
        Attach(db, nid, entry.table);
    entry.stored = true;
    entry.table.EvictClean();
    return {};
}

void CTableCache::Settle()
{
    for (auto& [nid, entry] : m_tables)
        if (entry.stored)
            entry.table.EvictClean();
}

void CTableCache::Trim()
{
    while (m_tables.size() > m_capacity) {
        auto oldest = std::min_element(m_tables.begin(), m_tables.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        });
        m_tables.erase(oldest);
    }
}

} // namespace mapi::message
