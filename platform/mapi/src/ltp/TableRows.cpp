#include "mapi/ltp/TableContext.h"

#include <algorithm>
#include <string>

#include "mapi/ltp/BTreeOnHeap.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/NodeValues.h"
#include "mapi/ltp/PropertyCodec.h"
#include "mapi/ltp/TableLayout.h"
#include "TableCells.h"

namespace mapi::ltp {

using namespace table;

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
    auto rowBytes = m_matrix.Row(index);
    if (!rowBytes) return WithContext("table row " + std::to_string(index), rowBytes.TakeError());
    const std::uint8_t* row = rowBytes.Value();
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
        if (c.tag == PR_LTP_ROW_ID && CellHoldsValue(c)) {
            WriteU32(&row[c.ibData], rowId);
            ceb[c.iBit / 8] |= static_cast<std::uint8_t>(0x80 >> (c.iBit % 8));
            continue;
        }
        if (c.tag == PR_LTP_ROW_ID) {
            encoded = U32Bytes(rowId);
        } else {
            const PropertyValue* value = cells.Get(c.tag);
            if (!value) continue;
            // Most cells hold a number or a time in place: no buffer for them.
            std::uint8_t fixed[8];
            const std::size_t size = CellHoldsValue(c) ? EncodeSmallFixed(*value, fixed) : 0;
            if (size > 0) {
                std::copy(fixed, fixed + size, row.begin() + c.ibData);
                ceb[c.iBit / 8] |= static_cast<std::uint8_t>(0x80 >> (c.iBit % 8));
                continue;
            }
            encoded = EncodeValue(*value);
        }
        if (CellHoldsValue(c)) {
            std::copy(encoded.begin(), encoded.end(), row.begin() + c.ibData);
        } else {
            auto hnid = StoreHnid(m_heap, m_values, std::move(encoded));
            if (!hnid) return WithContext("table " + ColumnText(c), hnid.TakeError());
            if (hnid.Value() != 0 && !heap::IsHid(hnid.Value())) m_changedValues.insert(hnid.Value());
            WriteU32(&row[c.ibData], hnid.Value());
        }
        ceb[c.iBit / 8] |= static_cast<std::uint8_t>(0x80 >> (c.iBit % 8));
    }
    auto dest = m_matrix.Row(index);
    if (!dest) return dest.TakeError();
    std::copy(row.begin(), row.end(), dest.Value());
    return {};
}

Result<void> CTableContext::FreeCells(std::size_t index)
{
    auto rowBytes = m_matrix.Row(index);
    if (!rowBytes) return rowBytes.TakeError();
    const std::uint8_t* row = rowBytes.Value();
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
    if (m_matrixNid == 0 && m_matrix.ByteSize() <= heap::kMaxItemSize) {
        auto rows = m_matrix.All();
        if (!rows) return rows.TakeError();
        if (rows->empty()) {
            if (m_matrixHid != 0) {
                auto freed = m_heap.Free(m_matrixHid);
                if (!freed) return freed;
                m_matrixHid = 0;
            }
        } else if (m_matrixHid != 0) {
            auto moved = m_heap.Reallocate(m_matrixHid, rows.Value());
            if (!moved) return moved.TakeError();
            m_matrixHid = moved.Value();
        } else {
            auto hid = m_heap.Allocate(rows.Value());
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
    auto pushed = m_matrix.PushRow();
    if (!pushed) return pushed;
    auto written = WriteCells(index, rowId, cells);
    if (!written) {
        (void)m_matrix.PopRow();
        return written;
    }
    auto inserted = CBTreeOnHeap::Insert(m_heap, m_rowIndex, U32Bytes(rowId), U32Bytes(static_cast<std::uint32_t>(index)));
    if (!inserted) {
        (void)m_matrix.PopRow();
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
        auto from = m_matrix.Row(last);
        if (!from) return from.TakeError();
        auto to = m_matrix.Row(index);
        if (!to) return to.TakeError();
        std::copy(from.Value(), from.Value() + m_rowSize, to.Value());
        const std::uint32_t movedId = ReadU32(to.Value());
        auto moved = CBTreeOnHeap::Insert(m_heap, m_rowIndex, U32Bytes(movedId), U32Bytes(static_cast<std::uint32_t>(index)));
        if (!moved) return moved;
    }
    auto removed = CBTreeOnHeap::Remove(m_heap, m_rowIndex, U32Bytes(rowId));
    if (!removed) return removed.TakeError();
    auto popped = m_matrix.PopRow();
    if (!popped) return popped;
    m_rowCount = last;
    auto placed = PlaceMatrix();
    if (!placed) return placed;
    MarkRowChanged(index);
    MarkRowChanged(last);
    return {};
}

} // namespace mapi::ltp
