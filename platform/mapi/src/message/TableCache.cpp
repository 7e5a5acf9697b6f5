#include "TableCache.h"

#include "Bridge.h"

#include <algorithm>
#include <string>
#include <vector>

namespace mapi::message {

NodeUpdate TableChanges(const ltp::CTableContext& table)
{
    NodeUpdate update;
    BlockStream heap;
    heap.count = table.HeapPageCount();
    heap.changed = [&table](std::size_t i) {
        const auto& changed = table.ChangedHeapPages();
        return i >= changed.size() || changed[i];
    };
    heap.size = [&table](std::size_t i) { return table.HeapPageSize(i); };
    heap.bytes = [&table](std::size_t i) { return table.HeapPage(i); };
    update.data = std::move(heap);

    if (table.MatrixNid() != 0) {
        BlockStream matrix;
        matrix.count = table.MatrixBlockCount();
        matrix.changed = [&table](std::size_t i) {
            const auto& changed = table.ChangedMatrixBlocks();
            return i >= changed.size() || changed[i];
        };
        matrix.size = [&table](std::size_t i) { return table.MatrixBlockSize(i); };
        matrix.bytes = [&table](std::size_t i) { return table.MatrixBlock(i); };
        update.subnodes[table.MatrixNid()] = std::move(matrix);
    }
    for (std::uint32_t nid : table.ChangedValueSubnodes()) {
        if (const NodeContent* value = table.ValueSubnode(nid))
            update.subnodes[nid] = BlockStream::Whole(value->blocks);
        else
            update.subnodes[nid] = std::nullopt;
    }
    return update;
}

Result<ltp::CTableContext*> CTableCache::Get(CNodeDatabase& db, Nid nid)
{
    auto it = m_tables.find(nid);
    if (it == m_tables.end()) {
        auto node = db.ReadNode(nid);
        if (!node)
            return node.GetError();
        auto table = FromLtp(ltp::CTableContext::Load(*node), "table " + std::to_string(nid));
        if (!table)
            return table.GetError();
        it = m_tables.emplace(nid, Entry{std::move(*table), true, 0}).first;
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
    entry.stored = true;
    return {};
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
