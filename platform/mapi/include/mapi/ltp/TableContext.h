#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <set>
#include <vector>

#include "mapi/NodeContent.h"
#include "mapi/ltp/HeapOnNode.h"
#include "mapi/ltp/PropertyBag.h"
#include "mapi/ltp/RowMatrix.h"

namespace mapi::ltp {

// One column of a table: where its cell sits in a row.
struct TableColumn {
    std::uint32_t tag = 0;
    std::uint16_t ibData = 0;
    std::uint8_t cbData = 0;
    std::uint8_t iBit = 0;

    bool operator==(const TableColumn&) const = default;
};

// A row as read: its id and the cells that exist (PR_LTP_ROW_ID among them).
struct TableRow {
    std::uint32_t rowId = 0;
    CPropertyBag cells;
};

// A table context held in memory and edited in place: appending or updating
// a row touches that row, its cells and the row index leaf it lands in, not
// the whole table. Rows are kept in row matrix order; the matrix lives in the
// heap while it fits in one item and in a subnode after that, packed so that
// no row spans two blocks.
class CTableContext {
public:
    // A table of `tags`; PR_LTP_ROW_ID and PR_LTP_ROW_VER are added first
    // when missing. Cells are laid out by size as [MS-PST] 2.3.4.4 orders them.
    static Result<CTableContext> Create(const std::vector<std::uint32_t>& tags);
    // A table with exactly these cells, as copied from a template node: the
    // layout is checked (cells inside the row, no overlaps, PR_LTP_ROW_ID at
    // offset 0, distinct bits) and the rgib offsets derived from it.
    static Result<CTableContext> CreateWithLayout(const std::vector<TableColumn>& columns);
    static Result<CTableContext> Load(const NodeContent& node);
    // A stored table read a block at a time, so that a large one never sits
    // in memory whole: of the heap pages and matrix blocks only what the next
    // row needs stays; the rest comes back from the sources, which the table
    // keeps. Value subnodes are read whole.
    struct LazySource {
        std::size_t heapPages = 0;
        CHeapOnNode::PageSource heapPage;
        std::vector<std::uint32_t> subnodes;
        std::function<Result<NodeContent>(std::uint32_t nid)> subnode;
        // The sizes of a subnode's data blocks, without reading them.
        std::function<Result<std::vector<std::size_t>>(std::uint32_t nid)> blockSizes;
        std::function<Result<Bytes>(std::uint32_t nid, std::size_t block)> subnodeBlock;
    };
    static Result<CTableContext> LoadLazily(const LazySource& source);

    const std::vector<TableColumn>& Columns() const { return m_columns; }
    std::size_t RowSize() const { return m_rowSize; }
    std::size_t RowCount() const { return m_rowCount; }
    bool MatrixInSubnode() const { return m_matrixNid != 0; }

    Result<std::vector<TableRow>> ReadAllRows() const;
    Result<TableRow> ReadRow(std::uint32_t rowId) const;
    // The row at `index` of the row matrix (0 to RowCount() - 1).
    Result<TableRow> ReadRowAt(std::size_t index) const { return DecodeRow(index); }
    bool HasRow(std::uint32_t rowId) const;

    // Cells whose tag is not a column (or whose type differs) are ignored, so
    // a whole message's properties can be passed.
    Result<void> AppendRow(std::uint32_t rowId, const CPropertyBag& cells);
    Result<void> UpdateRow(std::uint32_t rowId, const CPropertyBag& cells);
    // Removes a row; the last row moves into its place.
    Result<void> RemoveRow(std::uint32_t rowId);

    NodeContent ToNode() const;

    // The blocks of ToNode() one at a time, so that a writer can rewrite only
    // what changed since ClearChanged(): heap pages, row matrix blocks (when
    // the matrix is in a subnode) and the value subnodes added or removed.
    std::size_t HeapPageCount() const { return m_heap.PageCount(); }
    Bytes HeapPage(std::size_t page) const { return m_heap.SerializePage(page); }
    std::size_t HeapPageSize(std::size_t page) const { return m_heap.SerializedPageSize(page); }
    std::uint32_t MatrixNid() const { return m_matrixNid; }
    std::size_t MatrixBlockCount() const;
    Bytes MatrixBlock(std::size_t block) const;
    std::size_t MatrixBlockSize(std::size_t block) const;
    // The value subnode `nid`, or null when it was removed.
    const NodeContent* ValueSubnode(std::uint32_t nid) const;

    // A table read from a node can drop what is as stored (heap pages,
    // matrix blocks) and read it back from the node when needed: `heapPage`
    // and `matrixBlock` give block i of the node and of its matrix subnode.
    void SetSources(CHeapOnNode::PageSource heapPage, CRowMatrix::BlockSource matrixBlock);
    // Drops what is as stored, but for what a new row needs (the newest heap
    // pages, the last matrix block). Only after ClearChanged() does that
    // cover everything written.
    void EvictClean();
    std::size_t ResidentHeapPages() const { return m_heap.ResidentPages(); }
    std::size_t ResidentMatrixBlocks() const { return m_matrix.ResidentBlocks(); }

    const std::vector<bool>& ChangedHeapPages() const { return m_heap.ChangedPages(); }
    const std::vector<bool>& ChangedMatrixBlocks() const { return m_changedMatrix; }
    const std::set<std::uint32_t>& ChangedValueSubnodes() const { return m_changedValues; }
    void ClearChanged();

private:
    CTableContext() = default;

    // The table's header and row count from its heap; also the HNID of its
    // row matrix.
    static Result<std::pair<CTableContext, std::uint32_t>> FromHeap(CHeapOnNode heap);
    Result<void> InitializeHeap();
    std::size_t RowsPerBlock() const;
    Result<std::size_t> RowIndexOf(std::uint32_t rowId) const;
    Result<void> WriteCells(std::size_t index, std::uint32_t rowId, const CPropertyBag& cells);
    Result<void> FreeCells(std::size_t index);
    Result<TableRow> DecodeRow(std::size_t index) const;
    Result<void> PlaceMatrix();
    Result<void> WriteTcInfo();
    void MarkRowChanged(std::size_t index);
    // The heap pages that appending a row reads.
    std::set<std::size_t> AppendPath() const;

    CHeapOnNode m_heap{heap::kClientTableContext};
    NodeContent m_values;            // subnodes of cell values and the matrix
    std::vector<TableColumn> m_columns;
    std::uint16_t m_rgib[4] = {};
    std::size_t m_rowSize = 0;
    Hid m_tcInfo = 0;
    Hid m_rowIndex = 0;
    Hid m_matrixHid = 0;             // the matrix item while it fits the heap
    std::uint32_t m_matrixNid = 0;   // the matrix subnode once it does not
    CRowMatrix m_matrix;
    std::size_t m_rowCount = 0;
    std::vector<bool> m_changedMatrix;
    std::set<std::uint32_t> m_changedValues;
};

} // namespace mapi::ltp
