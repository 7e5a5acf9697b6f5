#include "mapi/ltp/TableContext.h"

#include <algorithm>
#include <cassert>
#include <set>
#include <string>

#include "mapi/ltp/BTreeOnHeap.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/PropertyCodec.h"
#include "mapi/ltp/TableLayout.h"
#include "TableCells.h"

namespace mapi::ltp {

using namespace table;

Result<CTableContext> CTableContext::Create(const std::vector<std::uint32_t>& tags)
{
    std::vector<std::uint32_t> ordered{PR_LTP_ROW_ID, PR_LTP_ROW_VER};
    std::set<std::uint16_t> ids{PROP_ID(PR_LTP_ROW_ID), PROP_ID(PR_LTP_ROW_VER)};
    for (std::uint32_t tag : tags) {
        if (ids.count(PROP_ID(tag))) {
            if (tag == PR_LTP_ROW_ID || tag == PR_LTP_ROW_VER) continue;
            return MakeError("table: property id of tag " + std::to_string(tag) + " appears twice");
        }
        ids.insert(PROP_ID(tag));
        ordered.push_back(tag);
    }
    if (ordered.size() > 255) return MakeError("table: " + std::to_string(ordered.size()) + " columns, at most 255");

    // Cells by size: 8 and 4 bytes (the row id and version first), then 2, then 1.
    std::stable_sort(ordered.begin() + 2, ordered.end(), [](std::uint32_t a, std::uint32_t b) {
        const auto rank = [](std::uint32_t t) { const std::uint8_t s = CellSize(PROP_TYPE(t)); return s >= 4 ? 0 : (s == 2 ? 1 : 2); };
        const std::uint8_t sa = CellSize(PROP_TYPE(a)), sb = CellSize(PROP_TYPE(b));
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        if (sa != sb) return sa > sb;
        return a < b;
    });

    CTableContext tc;
    std::uint16_t offset = 0;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        TableColumn c{ordered[i], offset, CellSize(PROP_TYPE(ordered[i])), static_cast<std::uint8_t>(i)};
        offset = static_cast<std::uint16_t>(offset + c.cbData);
        if (c.cbData >= 4) tc.m_rgib[kTci4b] = offset;
        tc.m_columns.push_back(c);
    }
    tc.m_rgib[kTci2b] = tc.m_rgib[kTci4b];
    tc.m_rgib[kTci1b] = tc.m_rgib[kTci4b];
    for (const TableColumn& c : tc.m_columns) {
        if (c.cbData == 2) tc.m_rgib[kTci2b] = static_cast<std::uint16_t>(c.ibData + 2);
    }
    tc.m_rgib[kTci1b] = tc.m_rgib[kTci2b];
    for (const TableColumn& c : tc.m_columns) {
        if (c.cbData == 1) tc.m_rgib[kTci1b] = static_cast<std::uint16_t>(c.ibData + 1);
    }
    tc.m_rgib[kTciBm] = static_cast<std::uint16_t>(tc.m_rgib[kTci1b] + (tc.m_columns.size() + 7) / 8);
    tc.m_rowSize = tc.m_rgib[kTciBm];
    tc.m_matrix.Reset(tc.m_rowSize, tc.RowsPerBlock());
    std::sort(tc.m_columns.begin(), tc.m_columns.end(),
              [](const TableColumn& a, const TableColumn& b) { return a.tag < b.tag; });

    auto initialized = tc.InitializeHeap();
    if (!initialized) return initialized.TakeError();
    return tc;
}

Result<void> CTableContext::InitializeHeap()
{
    m_heap.SetAppending(true);
    // TCINFO first so that it is the first item, then the row index.
    auto info = m_heap.Allocate(Bytes(kTcInfoFixedSize + kColDescSize * m_columns.size(), 0));
    if (!info) return info.TakeError();
    m_tcInfo = info.Value();
    m_heap.SetUserRoot(m_tcInfo);
    auto index = CBTreeOnHeap::Create(m_heap, kRowIdSize, kRowIndexSize);
    if (!index) return index.TakeError();
    m_rowIndex = index.Value();
    return WriteTcInfo();
}

Result<CTableContext> CTableContext::CreateWithLayout(const std::vector<TableColumn>& columns)
{
    if (columns.empty() || columns.size() > 255) return MakeError("table: " + std::to_string(columns.size()) + " columns");
    CTableContext tc;
    tc.m_columns = columns;
    std::sort(tc.m_columns.begin(), tc.m_columns.end(),
              [](const TableColumn& a, const TableColumn& b) { return a.tag < b.tag; });
    std::set<std::uint16_t> ids;
    std::set<std::uint8_t> bits;
    std::uint16_t end4 = 0, end2 = 0, end1 = 0;
    bool rowId = false;
    for (const TableColumn& c : tc.m_columns) {
        if (!ids.insert(PROP_ID(c.tag)).second) return MakeError("table: " + ColumnText(c) + " appears twice");
        if (!bits.insert(c.iBit).second) return MakeError("table: " + ColumnText(c) + " shares its existence bit");
        if (c.cbData != CellSize(PROP_TYPE(c.tag))) return MakeError("table: " + ColumnText(c) + " has the wrong cell size");
        const std::uint16_t end = static_cast<std::uint16_t>(c.ibData + c.cbData);
        if (c.cbData >= 4) end4 = std::max(end4, end);
        else if (c.cbData == 2) end2 = std::max(end2, end);
        else end1 = std::max(end1, end);
        if (c.tag == PR_LTP_ROW_ID) rowId = c.ibData == 0;
    }
    if (!rowId) return MakeError("table: PR_LTP_ROW_ID must be the cell at offset 0");
    tc.m_rgib[kTci4b] = end4;
    tc.m_rgib[kTci2b] = std::max(end4, end2);
    tc.m_rgib[kTci1b] = std::max(tc.m_rgib[kTci2b], end1);
    const std::size_t cebBytes = (static_cast<std::size_t>(*bits.rbegin()) + 8) / 8;
    tc.m_rgib[kTciBm] = static_cast<std::uint16_t>(tc.m_rgib[kTci1b] + cebBytes);
    tc.m_rowSize = tc.m_rgib[kTciBm];
    tc.m_matrix.Reset(tc.m_rowSize, tc.RowsPerBlock());
    // Cells may not overlap, and each group must sit inside its rgib range.
    std::vector<bool> used(tc.m_rowSize, false);
    for (const TableColumn& c : tc.m_columns) {
        const std::uint16_t lo = c.cbData >= 4 ? 0 : (c.cbData == 2 ? tc.m_rgib[kTci4b] : tc.m_rgib[kTci2b]);
        if (c.ibData < lo) return MakeError("table: " + ColumnText(c) + " lies outside its cell group");
        for (std::size_t i = c.ibData; i < static_cast<std::size_t>(c.ibData) + c.cbData; ++i) {
            if (used[i]) return MakeError("table: " + ColumnText(c) + " overlaps another cell");
            used[i] = true;
        }
    }
    auto initialized = tc.InitializeHeap();
    if (!initialized) return initialized.TakeError();
    return tc;
}

Result<void> CTableContext::WriteTcInfo()
{
    Bytes info;
    info.reserve(22 + 8 * m_columns.size());
    AppendU8(info, heap::kClientTableContext);
    AppendU8(info, static_cast<std::uint8_t>(m_columns.size()));
    for (std::uint16_t ib : m_rgib) AppendU16(info, ib);
    AppendU32(info, m_rowIndex);
    AppendU32(info, m_matrixNid != 0 ? m_matrixNid : m_matrixHid);
    AppendU32(info, 0);
    for (const TableColumn& c : m_columns) {
        AppendU32(info, c.tag);
        AppendU16(info, c.ibData);
        AppendU8(info, c.cbData);
        AppendU8(info, c.iBit);
    }
    // Same size as before: rewritten in place, the user root stays.
    auto moved = m_heap.Reallocate(m_tcInfo, info);
    if (!moved) return moved.TakeError();
    return {};
}

Result<std::pair<CTableContext, std::uint32_t>> CTableContext::FromHeap(CHeapOnNode heap)
{
    CTableContext tc;
    tc.m_heap = std::move(heap);
    tc.m_heap.SetAppending(true);
    if (tc.m_heap.ClientSig() != heap::kClientTableContext)
        return MakeError("table context: heap has client signature " + std::to_string(tc.m_heap.ClientSig()));
    tc.m_tcInfo = tc.m_heap.UserRoot();
    auto infoRead = tc.m_heap.Read(tc.m_tcInfo);
    if (!infoRead) return WithContext("table context: TCINFO", infoRead.TakeError());
    const Bytes& info = infoRead.Value();
    if (info.size() < kTcInfoFixedSize || info[0] != heap::kClientTableContext)
        return MakeError("table context: TCINFO is not a table header");
    const std::size_t cCols = info[1];
    if (info.size() < kTcInfoFixedSize + kColDescSize * cCols)
        return MakeError("table context: TCINFO too short for " + std::to_string(cCols) + " columns");
    for (std::size_t i = 0; i < 4; ++i) tc.m_rgib[i] = ReadU16(&info[2 + 2 * i]);
    if (!(tc.m_rgib[kTci4b] <= tc.m_rgib[kTci2b] && tc.m_rgib[kTci2b] <= tc.m_rgib[kTci1b] &&
          tc.m_rgib[kTci1b] <= tc.m_rgib[kTciBm]) ||
        static_cast<std::size_t>(tc.m_rgib[kTciBm] - tc.m_rgib[kTci1b]) < (cCols + 7) / 8 || tc.m_rgib[kTciBm] == 0 ||
        tc.m_rgib[kTciBm] > heap::kMaxBlockSize)
        return MakeError("table context: inconsistent row layout");
    tc.m_rowSize = tc.m_rgib[kTciBm];
    tc.m_rowIndex = ReadU32(&info[10]);
    const std::uint32_t hnidRows = ReadU32(&info[14]);
    for (std::size_t i = 0; i < cCols; ++i) {
        const std::uint8_t* d = &info[kTcInfoFixedSize + kColDescSize * i];
        TableColumn c{ReadU32(d), ReadU16(d + 4), d[6], d[7]};
        if (c.ibData + c.cbData > tc.m_rgib[kTci1b] || (c.cbData != 1 && c.cbData != 2 && c.cbData != 4 && c.cbData != 8) ||
            c.iBit / 8u >= static_cast<unsigned>(tc.m_rgib[kTciBm] - tc.m_rgib[kTci1b]))
            return MakeError("table context: " + ColumnText(c) + " lies outside the row");
        if (!CellHoldsValue(c) && c.cbData != 4)
            return MakeError("table context: " + ColumnText(c) + " has a cell of " + std::to_string(c.cbData) + " bytes");
        tc.m_columns.push_back(c);
    }

    auto header = CBTreeOnHeap::ReadHeader(tc.m_heap, tc.m_rowIndex);
    if (!header) return WithContext("table context: row index", header.TakeError());
    if (header->cbKey != kRowIdSize || (header->cbEnt != 4 && header->cbEnt != 2))
        return MakeError("table context: row index records of " + std::to_string(header->cbKey) + "+" +
                         std::to_string(header->cbEnt) + " bytes");
    auto records = CBTreeOnHeap::Enumerate(tc.m_heap, tc.m_rowIndex);
    if (!records) return WithContext("table context: row index", records.TakeError());
    tc.m_rowCount = records->size();

    for (const BthRecord& r : records.Value()) {
        const std::size_t index = r.data.size() == 4 ? ReadU32(r.data.data()) : ReadU16(r.data.data());
        if (index >= tc.m_rowCount)
            return MakeError("table context: row " + std::to_string(ReadU32(r.key.data())) + " points past the matrix");
    }
    return std::make_pair(std::move(tc), hnidRows);
}

Result<CTableContext> CTableContext::Load(const NodeContent& node)
{
    auto heapLoaded = CHeapOnNode::Load(node.blocks);
    if (!heapLoaded) return WithContext("table context", heapLoaded.TakeError());
    auto loaded = FromHeap(std::move(heapLoaded.Value()));
    if (!loaded) return loaded.TakeError();
    CTableContext& tc = loaded->first;
    const std::uint32_t hnidRows = loaded->second;
    for (const auto& [nid, content] : node.subnodes) tc.m_values.subnodes.emplace(nid, content);
    Bytes rows;
    std::vector<std::size_t> storedSizes; // of the matrix subnode's blocks
    if (hnidRows == 0) {
        // No matrix: the table must be empty.
    } else if (heap::IsHid(hnidRows)) {
        auto matrix = tc.m_heap.Read(hnidRows);
        if (!matrix) return WithContext("table context: row matrix", matrix.TakeError());
        tc.m_matrixHid = hnidRows;
        rows = std::move(matrix.Value());
    } else {
        auto sub = tc.m_values.subnodes.find(hnidRows);
        if (sub == tc.m_values.subnodes.end()) return MakeError("table context: row matrix subnode is missing");
        tc.m_matrixNid = hnidRows;
        for (const Bytes& block : sub->second.blocks) {
            const std::size_t whole = (block.size() / tc.m_rowSize) * tc.m_rowSize;
            storedSizes.push_back(block.size());
            rows.insert(rows.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(whole));
        }
        // The matrix's blocks live in m_matrix from now on.
        sub->second.blocks.clear();
    }
    const std::size_t matrixRows = rows.size() / tc.m_rowSize;
    if (matrixRows < tc.m_rowCount)
        return MakeError("table context: " + std::to_string(tc.m_rowCount) + " rows indexed, " +
                         std::to_string(matrixRows) + " in the matrix");
    rows.resize(tc.m_rowCount * tc.m_rowSize);
    tc.m_matrix.Reset(tc.m_rowSize, tc.RowsPerBlock());
    tc.m_matrix.Assign(rows);
    // Blocks packed otherwise than MatrixBlock() packs them cannot be kept
    // as they are when rows change: the first write rewrites them all.
    bool packed = storedSizes.size() == tc.MatrixBlockCount();
    for (std::size_t b = 0; packed && b < storedSizes.size(); ++b) packed = storedSizes[b] == tc.MatrixBlockSize(b);
    tc.m_changedMatrix.assign(tc.MatrixBlockCount(), !packed);
    return std::move(tc);
}

Result<CTableContext> CTableContext::LoadLazily(const LazySource& source)
{
    auto heapLoaded = CHeapOnNode::LoadLazily(source.heapPages, source.heapPage);
    if (!heapLoaded) return WithContext("table context", heapLoaded.TakeError());
    auto loaded = FromHeap(std::move(heapLoaded.Value()));
    if (!loaded) return loaded.TakeError();
    CTableContext& tc = loaded->first;
    const std::uint32_t hnidRows = loaded->second;
    // Counting the rows brought the row index's pages back; they go again,
    // but for those a new row needs.
    tc.m_heap.EvictCleanPages(tc.AppendPath());
    for (std::uint32_t nid : source.subnodes) {
        if (nid == hnidRows) continue;
        auto value = source.subnode(nid);
        if (!value) return WithContext("table context: subnode " + std::to_string(nid), value.TakeError());
        tc.m_values.subnodes.emplace(nid, std::move(value.Value()));
    }
    tc.m_matrix.Reset(tc.m_rowSize, tc.RowsPerBlock());
    if (hnidRows == 0 || heap::IsHid(hnidRows)) {
        Bytes rows;
        if (hnidRows != 0) {
            auto matrix = tc.m_heap.Read(hnidRows);
            if (!matrix) return WithContext("table context: row matrix", matrix.TakeError());
            tc.m_matrixHid = hnidRows;
            rows = std::move(matrix.Value());
        }
        if (rows.size() / tc.m_rowSize < tc.m_rowCount)
            return MakeError("table context: " + std::to_string(tc.m_rowCount) + " rows indexed, " +
                             std::to_string(rows.size() / tc.m_rowSize) + " in the matrix");
        rows.resize(tc.m_rowCount * tc.m_rowSize);
        tc.m_matrix.Assign(rows);
        return std::move(tc);
    }
    if (std::find(source.subnodes.begin(), source.subnodes.end(), hnidRows) == source.subnodes.end())
        return MakeError("table context: row matrix subnode is missing");
    tc.m_matrixNid = hnidRows;
    auto sizes = source.blockSizes(hnidRows);
    if (!sizes) return WithContext("table context: row matrix", sizes.TakeError());
    std::size_t matrixRows = 0;
    for (std::size_t size : sizes.Value()) matrixRows += size / tc.m_rowSize;
    if (matrixRows < tc.m_rowCount)
        return MakeError("table context: " + std::to_string(tc.m_rowCount) + " rows indexed, " +
                         std::to_string(matrixRows) + " in the matrix");
    tc.m_matrix.SetSource([read = source.subnodeBlock, hnidRows](std::size_t block) { return read(hnidRows, block); });
    tc.m_matrix.AssignStored(tc.m_rowCount);
    bool packed = sizes->size() == tc.MatrixBlockCount();
    for (std::size_t b = 0; packed && b < sizes->size(); ++b) packed = (*sizes)[b] == tc.MatrixBlockSize(b);
    if (!packed) {
        // Packed otherwise than MatrixBlock() packs them: the rows are read
        // whole once, and the first write rewrites every block.
        Bytes rows;
        for (std::size_t b = 0; b < sizes->size(); ++b) {
            auto block = source.subnodeBlock(hnidRows, b);
            if (!block) return WithContext("table context: row matrix", block.TakeError());
            const std::size_t whole = (block->size() / tc.m_rowSize) * tc.m_rowSize;
            rows.insert(rows.end(), block->begin(), block->begin() + static_cast<std::ptrdiff_t>(whole));
        }
        rows.resize(tc.m_rowCount * tc.m_rowSize);
        tc.m_matrix.Assign(rows);
    }
    tc.m_changedMatrix.assign(tc.MatrixBlockCount(), !packed);
    return std::move(tc);
}

std::size_t CTableContext::MatrixBlockCount() const
{
    if (m_matrixNid == 0) return 0;
    return (m_rowCount + RowsPerBlock() - 1) / RowsPerBlock();
}

std::size_t CTableContext::MatrixBlockSize(std::size_t block) const { return m_matrix.BlockSize(block); }

Bytes CTableContext::MatrixBlock(std::size_t block) const
{
    // Blocks that changed stay in memory; others come back from the node.
    auto bytes = m_matrix.Block(block);
    assert(bytes.Ok());
    return bytes.Ok() ? std::move(bytes.Value()) : Bytes{};
}

void CTableContext::SetSources(CHeapOnNode::PageSource heapPage, CRowMatrix::BlockSource matrixBlock)
{
    m_heap.SetPageSource(std::move(heapPage));
    m_matrix.SetSource(std::move(matrixBlock));
}

std::set<std::size_t> CTableContext::AppendPath() const
{
    // The row index's header and its nodes down to the last leaf, where a
    // new row id (the largest so far, as a new message's) goes.
    std::set<std::size_t> pages{heap::HidPage(m_tcInfo), heap::HidPage(m_rowIndex)};
    auto header = CBTreeOnHeap::ReadHeader(m_heap, m_rowIndex);
    if (!header) return pages;
    Hid hid = header->root;
    for (int level = header->levels; hid != 0; --level) {
        pages.insert(heap::HidPage(hid));
        if (level == 0) break;
        auto node = m_heap.Read(hid);
        if (!node || node->size() < kRowIdSize + 4u) break;
        hid = ReadU32(&node.Value()[node->size() - 4]);
    }
    return pages;
}

void CTableContext::EvictClean()
{
    m_heap.EvictCleanPages(AppendPath());
    if (m_matrixNid != 0) m_matrix.Evict(m_changedMatrix);
}

const NodeContent* CTableContext::ValueSubnode(std::uint32_t nid) const
{
    auto it = m_values.subnodes.find(nid);
    return it == m_values.subnodes.end() ? nullptr : &it->second;
}

NodeContent CTableContext::ToNode() const
{
    NodeContent node = m_values;
    node.blocks = m_heap.Serialize();
    if (m_matrixNid != 0) {
        std::vector<Bytes>& blocks = node.subnodes[m_matrixNid].blocks;
        blocks.clear();
        for (std::size_t b = 0; b < MatrixBlockCount(); ++b) blocks.push_back(MatrixBlock(b));
    }
    return node;
}

void CTableContext::ClearChanged()
{
    m_heap.ClearChanged();
    std::fill(m_changedMatrix.begin(), m_changedMatrix.end(), false);
    m_changedValues.clear();
}

} // namespace mapi::ltp
