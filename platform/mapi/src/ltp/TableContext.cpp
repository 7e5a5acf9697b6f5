#include "mapi/ltp/TableContext.h"

#include <algorithm>
#include <set>
#include <string>

#include "mapi/ltp/BTreeOnHeap.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/NodeValues.h"
#include "mapi/ltp/PropertyCodec.h"
#include "mapi/ltp/TableLayout.h"

namespace mapi::ltp {

using namespace table;

namespace {

// The size of a column's cell: fixed-size values up to 8 bytes in the row,
// everything else as a 4-byte HNID.
std::uint8_t CellSize(std::uint16_t type)
{
    const std::size_t fixed = FixedValueSize(type);
    if (fixed > 0 && fixed <= 8) return static_cast<std::uint8_t>(fixed);
    return 4;
}

bool CellHoldsValue(const TableColumn& c)
{
    const std::size_t fixed = FixedValueSize(PROP_TYPE(c.tag));
    return fixed > 0 && fixed <= 8 && fixed == c.cbData;
}

std::string ColumnText(const TableColumn& c)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s = "column 0x";
    for (int shift = 28; shift >= 0; shift -= 4) s += digits[(c.tag >> shift) & 0xF];
    return s;
}

Bytes U32Bytes(std::uint32_t v)
{
    Bytes b;
    AppendU32(b, v);
    return b;
}

} // namespace

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
    std::sort(tc.m_columns.begin(), tc.m_columns.end(),
              [](const TableColumn& a, const TableColumn& b) { return a.tag < b.tag; });

    // TCINFO first so that it is the first item, then the row index.
    auto info = tc.m_heap.Allocate(Bytes(kTcInfoFixedSize + kColDescSize * tc.m_columns.size(), 0));
    if (!info) return info.TakeError();
    tc.m_tcInfo = info.Value();
    tc.m_heap.SetUserRoot(tc.m_tcInfo);
    auto index = CBTreeOnHeap::Create(tc.m_heap, kRowIdSize, kRowIndexSize);
    if (!index) return index.TakeError();
    tc.m_rowIndex = index.Value();
    auto written = tc.WriteTcInfo();
    if (!written) return written.TakeError();
    return tc;
}

Result<void> CTableContext::WriteTcInfo()
{
    Bytes info;
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

Result<CTableContext> CTableContext::Load(const NodeContent& node)
{
    auto heapLoaded = CHeapOnNode::Load(node.blocks);
    if (!heapLoaded) return WithContext("table context", heapLoaded.TakeError());
    CTableContext tc;
    tc.m_heap = std::move(heapLoaded.Value());
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

    for (const auto& [nid, content] : node.subnodes) tc.m_values.subnodes.emplace(nid, content);
    if (hnidRows == 0) {
        // No matrix: the table must be empty.
    } else if (heap::IsHid(hnidRows)) {
        auto matrix = tc.m_heap.Read(hnidRows);
        if (!matrix) return WithContext("table context: row matrix", matrix.TakeError());
        tc.m_matrixHid = hnidRows;
        tc.m_rows = std::move(matrix.Value());
    } else {
        auto sub = node.subnodes.find(hnidRows);
        if (sub == node.subnodes.end()) return MakeError("table context: row matrix subnode is missing");
        tc.m_matrixNid = hnidRows;
        for (const Bytes& block : sub->second.blocks) {
            const std::size_t whole = (block.size() / tc.m_rowSize) * tc.m_rowSize;
            tc.m_rows.insert(tc.m_rows.end(), block.begin(), block.begin() + whole);
        }
        tc.m_changedMatrix.assign(sub->second.blocks.size(), false);
    }
    const std::size_t matrixRows = tc.m_rows.size() / tc.m_rowSize;
    if (matrixRows < tc.m_rowCount)
        return MakeError("table context: " + std::to_string(tc.m_rowCount) + " rows indexed, " +
                         std::to_string(matrixRows) + " in the matrix");
    tc.m_rows.resize(tc.m_rowCount * tc.m_rowSize);
    for (const BthRecord& r : records.Value()) {
        const std::size_t index = r.data.size() == 4 ? ReadU32(r.data.data()) : ReadU16(r.data.data());
        if (index >= tc.m_rowCount)
            return MakeError("table context: row " + std::to_string(ReadU32(r.key.data())) + " points past the matrix");
    }
    return tc;
}

std::size_t CTableContext::RowsPerBlock() const { return heap::kMaxBlockSize / m_rowSize; }

Result<std::size_t> CTableContext::RowIndexOf(std::uint32_t rowId) const
{
    auto found = CBTreeOnHeap::Find(m_heap, m_rowIndex, U32Bytes(rowId));
    if (!found) return found.TakeError();
    if (!found->has_value()) return MakeError("table: no row " + std::to_string(rowId));
    const Bytes& data = **found;
    const std::size_t index = data.size() == 4 ? ReadU32(data.data()) : ReadU16(data.data());
    if (index >= m_rowCount) return MakeError("table: row " + std::to_string(rowId) + " points past the matrix");
    return index;
}

bool CTableContext::HasRow(std::uint32_t rowId) const
{
    auto found = CBTreeOnHeap::Find(m_heap, m_rowIndex, U32Bytes(rowId));
    return found && found->has_value();
}

Result<TableRow> CTableContext::DecodeRow(std::size_t index) const
{
    const std::uint8_t* row = RowAt(index);
    const std::uint8_t* ceb = row + m_rgib[kTci1b];
    TableRow out;
    out.rowId = ReadU32(row);
    for (const TableColumn& c : m_columns) {
        if (!(ceb[c.iBit / 8] & (0x80 >> (c.iBit % 8)))) continue;
        const std::uint16_t type = PROP_TYPE(c.tag);
        Bytes stored;
        if (CellHoldsValue(c)) {
            stored.assign(row + c.ibData, row + c.ibData + c.cbData);
        } else {
            auto bytes = ReadHnid(m_heap, m_values, ReadU32(row + c.ibData));
            if (!bytes) return WithContext("table row " + std::to_string(index) + ", " + ColumnText(c), bytes.TakeError());
            stored = std::move(bytes.Value());
        }
        auto value = DecodeValue(type, stored);
        if (!value) return WithContext("table row " + std::to_string(index) + ", " + ColumnText(c), value.TakeError());
        if (c.tag == PR_LTP_ROW_ID) out.rowId = static_cast<std::uint32_t>(*value->Get<std::int32_t>());
        out.cells.Set(c.tag, std::move(value.Value()));
    }
    return out;
}

Result<std::vector<TableRow>> CTableContext::ReadAllRows() const
{
    std::vector<TableRow> rows;
    rows.reserve(m_rowCount);
    for (std::size_t i = 0; i < m_rowCount; ++i) {
        auto row = DecodeRow(i);
        if (!row) return row.TakeError();
        rows.push_back(std::move(row.Value()));
    }
    return rows;
}

Result<TableRow> CTableContext::ReadRow(std::uint32_t rowId) const
{
    auto index = RowIndexOf(rowId);
    if (!index) return index.TakeError();
    return DecodeRow(index.Value());
}

Result<void> CTableContext::WriteCells(std::size_t index, std::uint32_t rowId, const CPropertyBag& cells)
{
    Bytes row(m_rowSize, 0);
    std::uint8_t* ceb = &row[m_rgib[kTci1b]];
    for (const TableColumn& c : m_columns) {
        Bytes encoded;
        if (c.tag == PR_LTP_ROW_ID) {
            encoded = U32Bytes(rowId);
        } else {
            const PropertyValue* value = cells.Get(c.tag);
            if (!value) continue;
            encoded = EncodeValue(*value);
        }
        if (CellHoldsValue(c)) {
            std::copy(encoded.begin(), encoded.end(), row.begin() + c.ibData);
        } else {
            auto hnid = StoreHnid(m_heap, m_values, encoded);
            if (!hnid) return WithContext("table " + ColumnText(c), hnid.TakeError());
            if (hnid.Value() != 0 && !heap::IsHid(hnid.Value())) m_changedValues.insert(hnid.Value());
            WriteU32(&row[c.ibData], hnid.Value());
        }
        ceb[c.iBit / 8] |= static_cast<std::uint8_t>(0x80 >> (c.iBit % 8));
    }
    std::copy(row.begin(), row.end(), m_rows.begin() + index * m_rowSize);
    return {};
}

Result<void> CTableContext::FreeCells(std::size_t index)
{
    const std::uint8_t* row = RowAt(index);
    const std::uint8_t* ceb = row + m_rgib[kTci1b];
    for (const TableColumn& c : m_columns) {
        if (CellHoldsValue(c) || !(ceb[c.iBit / 8] & (0x80 >> (c.iBit % 8)))) continue;
        const std::uint32_t hnid = ReadU32(row + c.ibData);
        auto freed = FreeHnid(m_heap, m_values, hnid);
        if (!freed) return freed;
        if (hnid != 0 && !heap::IsHid(hnid)) m_changedValues.insert(hnid);
    }
    return {};
}

void CTableContext::MarkRowChanged(std::size_t index)
{
    if (m_matrixNid == 0) return;
    const std::size_t blocks = (m_rowCount + RowsPerBlock() - 1) / RowsPerBlock();
    if (m_changedMatrix.size() < blocks) m_changedMatrix.resize(blocks, true);
    if (m_changedMatrix.size() > blocks) m_changedMatrix.resize(blocks);
    const std::size_t block = index / RowsPerBlock();
    if (block < m_changedMatrix.size()) m_changedMatrix[block] = true;
}

Result<void> CTableContext::PlaceMatrix()
{
    const Hid oldHid = m_matrixHid;
    const std::uint32_t oldNid = m_matrixNid;
    if (m_matrixNid == 0 && m_rows.size() <= heap::kMaxItemSize) {
        if (m_rows.empty()) {
            if (m_matrixHid != 0) {
                auto freed = m_heap.Free(m_matrixHid);
                if (!freed) return freed;
                m_matrixHid = 0;
            }
        } else if (m_matrixHid != 0) {
            auto moved = m_heap.Reallocate(m_matrixHid, m_rows);
            if (!moved) return moved.TakeError();
            m_matrixHid = moved.Value();
        } else {
            auto hid = m_heap.Allocate(m_rows);
            if (!hid) return hid.TakeError();
            m_matrixHid = hid.Value();
        }
    } else if (m_matrixNid == 0) {
        // The matrix outgrew the heap; from now on it stays in a subnode.
        if (m_matrixHid != 0) {
            auto freed = m_heap.Free(m_matrixHid);
            if (!freed) return freed;
            m_matrixHid = 0;
        }
        std::uint32_t index = 1;
        for (auto it = m_values.subnodes.rbegin(); it != m_values.subnodes.rend(); ++it) {
            if ((it->first & 0x1F) == kNidTypeLtp) { index = (it->first >> 5) + 1; break; }
        }
        m_matrixNid = MakeLtpNid(index);
        m_values.subnodes[m_matrixNid] = NodeContent{};
        m_changedMatrix.assign((m_rowCount + RowsPerBlock() - 1) / RowsPerBlock(), true);
    }
    if (oldHid != m_matrixHid || oldNid != m_matrixNid) return WriteTcInfo();
    return {};
}

Result<void> CTableContext::AppendRow(std::uint32_t rowId, const CPropertyBag& cells)
{
    if (HasRow(rowId)) return MakeError("table: row " + std::to_string(rowId) + " exists already");
    const std::size_t index = m_rowCount;
    m_rows.resize(m_rows.size() + m_rowSize);
    auto written = WriteCells(index, rowId, cells);
    if (!written) {
        m_rows.resize(index * m_rowSize);
        return written;
    }
    auto inserted = CBTreeOnHeap::Insert(m_heap, m_rowIndex, U32Bytes(rowId), U32Bytes(static_cast<std::uint32_t>(index)));
    if (!inserted) {
        m_rows.resize(index * m_rowSize);
        return inserted;
    }
    ++m_rowCount;
    auto placed = PlaceMatrix();
    if (!placed) return placed;
    MarkRowChanged(index);
    return {};
}

Result<void> CTableContext::UpdateRow(std::uint32_t rowId, const CPropertyBag& cells)
{
    auto index = RowIndexOf(rowId);
    if (!index) return index.TakeError();
    auto freed = FreeCells(index.Value());
    if (!freed) return freed;
    auto written = WriteCells(index.Value(), rowId, cells);
    if (!written) return written;
    auto placed = PlaceMatrix();
    if (!placed) return placed;
    MarkRowChanged(index.Value());
    return {};
}

Result<void> CTableContext::RemoveRow(std::uint32_t rowId)
{
    auto found = RowIndexOf(rowId);
    if (!found) return found.TakeError();
    const std::size_t index = found.Value();
    auto freed = FreeCells(index);
    if (!freed) return freed;
    const std::size_t last = m_rowCount - 1;
    if (index != last) {
        std::copy(RowAt(last), RowAt(last) + m_rowSize, RowAt(index));
        const std::uint32_t movedId = ReadU32(RowAt(index));
        auto moved = CBTreeOnHeap::Insert(m_heap, m_rowIndex, U32Bytes(movedId), U32Bytes(static_cast<std::uint32_t>(index)));
        if (!moved) return moved;
    }
    auto removed = CBTreeOnHeap::Remove(m_heap, m_rowIndex, U32Bytes(rowId));
    if (!removed) return removed.TakeError();
    m_rows.resize(last * m_rowSize);
    m_rowCount = last;
    auto placed = PlaceMatrix();
    if (!placed) return placed;
    MarkRowChanged(index);
    MarkRowChanged(last);
    return {};
}

std::size_t CTableContext::MatrixBlockCount() const
{
    if (m_matrixNid == 0) return 0;
    return (m_rowCount + RowsPerBlock() - 1) / RowsPerBlock();
}

Bytes CTableContext::MatrixBlock(std::size_t block) const
{
    // Whole rows per block: a reader finds row i in block i / rows-per-block.
    const std::size_t perBlock = RowsPerBlock() * m_rowSize;
    const std::size_t start = std::min(block * perBlock, m_rows.size());
    const std::size_t end = std::min(start + perBlock, m_rows.size());
    return Bytes(m_rows.begin() + start, m_rows.begin() + end);
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
