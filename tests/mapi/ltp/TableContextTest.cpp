#include <gtest/gtest.h>

#include "mapi/ltp/BTreeOnHeap.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/NodeValues.h"
#include "mapi/ltp/TableContext.h"

using namespace mapi;
using namespace mapi::ltp;

namespace {

// A hierarchy-like table built by hand: columns ROW_ID (0), ROW_VER (4),
// PR_DISPLAY_NAME (HNID at 8), PR_CONTENT_COUNT (12), PR_SUBFOLDERS (16);
// the bitmap at 17. One row (id 0x8022) whose name is "Inbox".
struct HandBuiltTable {
    CHeapOnNode heap{0x7C};
    Hid info = 0;
    Bytes row;
};

HandBuiltTable BuildHandTable(std::uint32_t hnidRowsOverride = 0xFFFFFFFF)
{
    HandBuiltTable t;
    t.info = t.heap.Allocate(Bytes(22 + 5 * 8, 0)).Value();
    Hid index = CBTreeOnHeap::Create(t.heap, 4, 4).Value();
    Bytes key, data;
    AppendU32(key, 0x8022);
    AppendU32(data, 0);
    EXPECT_TRUE(CBTreeOnHeap::Insert(t.heap, index, key, data));
    Hid name = t.heap.Allocate(Bytes{'I', 0, 'n', 0, 'b', 0, 'o', 0, 'x', 0}).Value();
    t.row.assign(18, 0);
    WriteU32(&t.row[0], 0x8022);
    WriteU32(&t.row[4], 3);
    WriteU32(&t.row[8], name);
    WriteU32(&t.row[12], 7);
    t.row[16] = 1;
    t.row[17] = 0xE8; // bits 0, 1, 2 and 4: PR_CONTENT_COUNT's bit 3 is clear
    Hid matrix = t.heap.Allocate(t.row).Value();

    Bytes info{0x7C, 5};
    for (std::uint16_t ib : {16, 16, 17, 18}) AppendU16(info, ib);
    AppendU32(info, index);
    AppendU32(info, hnidRowsOverride == 0xFFFFFFFF ? matrix : hnidRowsOverride);
    AppendU32(info, 0);
    const std::uint32_t tags[] = {PR_DISPLAY_NAME, PR_CONTENT_COUNT, PR_SUBFOLDERS, PR_LTP_ROW_ID, PR_LTP_ROW_VER};
    const std::uint16_t ibs[] = {8, 12, 16, 0, 4};
    const std::uint8_t cbs[] = {4, 4, 1, 4, 4};
    const std::uint8_t bits[] = {2, 3, 4, 0, 1};
    for (int i = 0; i < 5; ++i) {
        AppendU32(info, tags[i]);
        AppendU16(info, ibs[i]);
        AppendU8(info, cbs[i]);
        AppendU8(info, bits[i]);
    }
    EXPECT_TRUE(t.heap.Reallocate(t.info, info));
    t.heap.SetUserRoot(t.info);
    return t;
}

NodeContent NodeOf(const CHeapOnNode& heap)
{
    NodeContent node;
    node.blocks = heap.Serialize();
    return node;
}

CPropertyBag MessageRow(int i)
{
    CPropertyBag cells;
    cells.Set(PR_SUBJECT, PropertyValue::Unicode(u"Message " + std::u16string(static_cast<std::size_t>(i % 7 + 1), u'#')));
    cells.Set(PR_MESSAGE_FLAGS, PropertyValue::Long(i));
    cells.Set(PR_MESSAGE_DELIVERY_TIME, PropertyValue::SysTime(0x01D0000000000000ull + static_cast<std::uint64_t>(i)));
    cells.Set(PR_MESSAGE_TO_ME, PropertyValue::Boolean(i % 2 == 0));
    if (i % 3 == 0) cells.Set(PR_CONVERSATION_INDEX, PropertyValue::Binary(Bytes(22, static_cast<std::uint8_t>(i))));
    cells.Set(PR_BODY, PropertyValue::Unicode(u"not a column")); // ignored
    return cells;
}

const std::vector<std::uint32_t> kMessageColumns = {PR_SUBJECT, PR_MESSAGE_FLAGS, PR_MESSAGE_DELIVERY_TIME,
                                                    PR_MESSAGE_TO_ME, PR_CONVERSATION_INDEX, PROP_TAG(PT_SHORT, 0x6610)};

} // namespace

TEST(TableContext, ReadsHandBuiltTable)
{
    auto t = BuildHandTable();
    auto tc = CTableContext::Load(NodeOf(t.heap));
    ASSERT_TRUE(tc) << tc.Message();
    EXPECT_EQ(tc->Columns().size(), 5u);
    EXPECT_EQ(tc->RowSize(), 18u);
    auto rows = tc->ReadAllRows();
    ASSERT_TRUE(rows) << rows.Message();
    ASSERT_EQ(rows->size(), 1u);
    const TableRow& row = rows.Value()[0];
    EXPECT_EQ(row.rowId, 0x8022u);
    EXPECT_EQ(row.cells.GetUnicode(PR_DISPLAY_NAME), u"Inbox");
    EXPECT_TRUE(row.cells.GetBoolean(PR_SUBFOLDERS));
    EXPECT_EQ(row.cells.GetLong(PR_LTP_ROW_VER), 3);
    EXPECT_FALSE(row.cells.Has(PR_CONTENT_COUNT)); // its existence bit is clear
    EXPECT_TRUE(tc->ReadRow(0x8022));
    EXPECT_FALSE(tc->ReadRow(0x8042));
}

TEST(TableContext, RejectsDamagedTables)
{
    {
        auto t = BuildHandTable(0);
        EXPECT_FALSE(CTableContext::Load(NodeOf(t.heap))); // one row indexed, no matrix
    }
    {
        auto t = BuildHandTable(MakeLtpNid(9));
        EXPECT_FALSE(CTableContext::Load(NodeOf(t.heap))); // matrix subnode missing
    }
    {
        auto t = BuildHandTable();
        Bytes info = t.heap.Read(t.info).Value();
        WriteU16(&info[22 + 4], 16); // PR_DISPLAY_NAME's 4 bytes would overlap the bitmap
        ASSERT_TRUE(t.heap.Reallocate(t.info, info));
        EXPECT_FALSE(CTableContext::Load(NodeOf(t.heap)));
    }
    {
        auto t = BuildHandTable();
        Bytes info = t.heap.Read(t.info).Value();
        info[1] = 40; // more columns than TCINFO holds
        ASSERT_TRUE(t.heap.Reallocate(t.info, info));
        EXPECT_FALSE(CTableContext::Load(NodeOf(t.heap)));
    }
    {
        auto t = BuildHandTable();
        Bytes info = t.heap.Read(t.info).Value();
        WriteU16(&info[2 + 6], 17); // row size leaves no room for the bitmap
        ASSERT_TRUE(t.heap.Reallocate(t.info, info));
        EXPECT_FALSE(CTableContext::Load(NodeOf(t.heap)));
    }
    {
        // A string cell whose HNID names nothing fails on read, not on load.
        auto t = BuildHandTable();
        Bytes info = t.heap.Read(t.info).Value();
        const Hid matrix = ReadU32(&info[14]);
        Bytes row = t.row;
        WriteU32(&row[8], 0x00030040);
        ASSERT_TRUE(t.heap.Reallocate(matrix, row));
        auto tc = CTableContext::Load(NodeOf(t.heap));
        ASSERT_TRUE(tc);
        EXPECT_FALSE(tc->ReadAllRows());
    }
}

TEST(TableContext, LaysOutCellsBySize)
{
    auto tc = CTableContext::Create({PR_SUBFOLDERS, PR_DISPLAY_NAME, PROP_TAG(PT_SHORT, 0x6601), PR_CREATION_TIME,
                                     PR_CONTENT_COUNT});
    ASSERT_TRUE(tc) << tc.Message();
    std::map<std::uint32_t, TableColumn> byTag;
    for (const auto& c : tc->Columns()) byTag[c.tag] = c;
    ASSERT_EQ(byTag.size(), 7u);
    EXPECT_EQ(byTag[PR_LTP_ROW_ID].ibData, 0);
    EXPECT_EQ(byTag[PR_LTP_ROW_ID].iBit, 0);
    EXPECT_EQ(byTag[PR_LTP_ROW_VER].ibData, 4);
    EXPECT_EQ(byTag[PR_LTP_ROW_VER].iBit, 1);
    EXPECT_EQ(byTag[PR_CREATION_TIME].ibData, 8); // 8-byte cells before 4-byte ones
    EXPECT_EQ(byTag[PR_CREATION_TIME].cbData, 8);
    EXPECT_EQ(byTag[PR_DISPLAY_NAME].cbData, 4);  // an HNID
    EXPECT_EQ(byTag[PROP_TAG(PT_SHORT, 0x6601)].ibData, 24);
    EXPECT_EQ(byTag[PR_SUBFOLDERS].ibData, 26);
    EXPECT_EQ(tc->RowSize(), 28u); // 27 bytes of cells and one bitmap byte
    // Descriptors are sorted by tag.
    for (std::size_t i = 1; i < tc->Columns().size(); ++i) EXPECT_LT(tc->Columns()[i - 1].tag, tc->Columns()[i].tag);
    EXPECT_FALSE(CTableContext::Create({PR_SUBJECT, PR_SUBJECT_A}));
}

TEST(TableContext, RoundTripsRowsThroughHeapAndSubnodeMatrix)
{
    auto created = CTableContext::Create(kMessageColumns);
    ASSERT_TRUE(created);
    CTableContext tc = std::move(created.Value());
    // A few rows keep the matrix in the heap.
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(tc.AppendRow(0x200024 + 32 * i, MessageRow(i)));
    EXPECT_FALSE(tc.MatrixInSubnode());
    EXPECT_FALSE(tc.AppendRow(0x200024, MessageRow(0))); // the id is taken
    auto small = CTableContext::Load(tc.ToNode());
    ASSERT_TRUE(small) << small.Message();
    EXPECT_EQ(small->ReadAllRows().Value().size(), 10u);

    // Enough rows move it to a subnode of whole rows per block.
    const int count = 1500;
    for (int i = 10; i < count; ++i) ASSERT_TRUE(tc.AppendRow(0x200024 + 32 * i, MessageRow(i)));
    EXPECT_TRUE(tc.MatrixInSubnode());
    NodeContent node = tc.ToNode();
    const std::size_t perBlock = 8176 / tc.RowSize();
    std::size_t matrixBlocks = 0;
    for (const auto& [nid, sub] : node.subnodes) {
        if (sub.blocks.size() > 1) {
            matrixBlocks = sub.blocks.size();
            for (std::size_t b = 0; b + 1 < sub.blocks.size(); ++b) EXPECT_EQ(sub.blocks[b].size(), perBlock * tc.RowSize());
        }
    }
    EXPECT_EQ(matrixBlocks, (count + perBlock - 1) / perBlock);
    for (const auto& block : node.blocks) EXPECT_LE(block.size(), 8176u);

    auto loaded = CTableContext::Load(node);
    ASSERT_TRUE(loaded) << loaded.Message();
    auto rows = loaded->ReadAllRows();
    ASSERT_TRUE(rows) << rows.Message();
    ASSERT_EQ(rows->size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; i += 97) {
        const TableRow& row = rows.Value()[static_cast<std::size_t>(i)];
        EXPECT_EQ(row.rowId, static_cast<std::uint32_t>(0x200024 + 32 * i));
        CPropertyBag expected = MessageRow(i);
        expected.Remove(PR_BODY);
        expected.Set(PR_LTP_ROW_ID, PropertyValue::Long(0x200024 + 32 * i));
        EXPECT_EQ(row.cells, expected) << "row " << i;
    }
}

TEST(TableContext, UpdatesAndRemovesRowsInPlace)
{
    CTableContext tc = CTableContext::Create(kMessageColumns).Value();
    for (int i = 0; i < 600; ++i) ASSERT_TRUE(tc.AppendRow(static_cast<std::uint32_t>(100 + i), MessageRow(i)));

    CPropertyBag changed;
    changed.Set(PR_SUBJECT, PropertyValue::Unicode(std::u16string(1500, u'L'))); // a long cell: still in the heap
    changed.Set(PR_CONVERSATION_INDEX, PropertyValue::Binary(Bytes(5000, 1)));   // larger than an item: a subnode
    changed.Set(PR_LTP_ROW_VER, PropertyValue::Long(2));
    ASSERT_TRUE(tc.UpdateRow(150, changed));
    EXPECT_FALSE(tc.UpdateRow(99999, changed));

    ASSERT_TRUE(tc.RemoveRow(100)); // the first row: the last one takes its place
    ASSERT_TRUE(tc.RemoveRow(699));
    EXPECT_FALSE(tc.RemoveRow(100));
    EXPECT_EQ(tc.RowCount(), 598u);

    auto loaded = CTableContext::Load(tc.ToNode());
    ASSERT_TRUE(loaded) << loaded.Message();
    EXPECT_FALSE(loaded->HasRow(100));
    EXPECT_FALSE(loaded->HasRow(699));
    auto row150 = loaded->ReadRow(150);
    ASSERT_TRUE(row150) << row150.Message();
    EXPECT_EQ(row150->cells.GetUnicode(PR_SUBJECT), std::u16string(1500, u'L'));
    EXPECT_EQ(row150->cells.GetBinary(PR_CONVERSATION_INDEX).size(), 5000u);
    EXPECT_EQ(row150->cells.GetLong(PR_LTP_ROW_VER), 2);
    EXPECT_FALSE(row150->cells.Has(PR_MESSAGE_FLAGS)); // the update replaced the whole row
    auto row698 = loaded->ReadRow(698);
    ASSERT_TRUE(row698);
    EXPECT_EQ(row698->cells.GetLong(PR_MESSAGE_FLAGS), 598);

    // The long cell's subnode goes when the row is rewritten without it.
    const std::size_t subnodesBefore = tc.ToNode().subnodes.size();
    ASSERT_TRUE(tc.UpdateRow(150, MessageRow(50)));
    EXPECT_EQ(tc.ToNode().subnodes.size(), subnodesBefore - 1);

    // Removing every row empties the table without error.
    for (std::uint32_t id = 101; id < 699; ++id) ASSERT_TRUE(tc.RemoveRow(id)) << id;
    EXPECT_EQ(CTableContext::Load(tc.ToNode()).Value().ReadAllRows().Value().size(), 0u);
}

TEST(TableContext, AppendTouchesOnlyTheBlocksOfTheNewRow)
{
    CTableContext tc = CTableContext::Create(kMessageColumns).Value();
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(tc.AppendRow(static_cast<std::uint32_t>(i + 1), MessageRow(i)));
    tc.ClearChanged();
    ASSERT_TRUE(tc.AppendRow(999999, MessageRow(7)));
    std::size_t heapChanged = 0;
    for (bool c : tc.ChangedHeapPages()) heapChanged += c;
    std::size_t matrixChanged = 0;
    for (bool c : tc.ChangedMatrixBlocks()) matrixChanged += c;
    // The row's block; in the heap the subject's page, the row index leaf's
    // page and the pages holding their fill levels.
    EXPECT_EQ(matrixChanged, 1u);
    EXPECT_TRUE(tc.ChangedMatrixBlocks().back());
    EXPECT_LE(heapChanged, 4u);
    EXPECT_GT(tc.ChangedHeapPages().size(), 20u);
}

TEST(TableContext, AppendsOneAfterAnotherRewriteTheNewestHeapPageAndLittleElse)
{
    CTableContext tc = CTableContext::Create(kMessageColumns).Value();
    for (int i = 0; i < 3000; ++i) ASSERT_TRUE(tc.AppendRow(static_cast<std::uint32_t>(i + 1), MessageRow(i)));
    // The row index's header and its index nodes stay as they are while
    // appends go to its last leaf; only the newest page and, now and then, a
    // fill level or a leaf split change another.
    std::size_t changed = 0;
    constexpr int kAppends = 400;
    for (int i = 0; i < kAppends; ++i) {
        tc.ClearChanged();
        ASSERT_TRUE(tc.AppendRow(static_cast<std::uint32_t>(10000 + i), MessageRow(i)));
        for (bool c : tc.ChangedHeapPages()) changed += c;
    }
    EXPECT_LE(changed, kAppends * 3 / 2) << "heap pages written per append: " << static_cast<double>(changed) / kAppends;
}

// Besides the newest page an append changes the page holding its fill level,
// now and then, and once per new page the page its row index's leaf moves
// from. The fill levels' page (page 0 up to 8 pages, a bitmap page past
// them) stays under 3.5 KB: a large block rewritten every other append would
// be a disk page more per save.
namespace {
void ExpectNoLargeOldPageRewritten(int rows, int appends)
{
    CTableContext tc = CTableContext::Create(kMessageColumns).Value();
    for (int i = 0; i < rows; ++i) ASSERT_TRUE(tc.AppendRow(static_cast<std::uint32_t>(i + 1), MessageRow(i)));
    ASSERT_GT(tc.HeapPageCount(), 1u);
    const int kAppends = appends;
    int largeOldPages = 0;
    for (int i = 0; i < kAppends; ++i) {
        tc.ClearChanged();
        ASSERT_TRUE(tc.AppendRow(static_cast<std::uint32_t>(10000 + i), MessageRow(i)));
        for (std::size_t p = 0; p + 1 < tc.HeapPageCount(); ++p)
            largeOldPages += tc.ChangedHeapPages()[p] && tc.HeapPage(p).size() > 3 * 1024 + 400;
    }
    EXPECT_LE(largeOldPages, kAppends / 20) << rows << " rows";
}
} // namespace

TEST(TableContext, AppendsToATableOfAFewHeapPagesRewriteNoFullPageButTheNewest)
{
    ASSERT_NO_FATAL_FAILURE(ExpectNoLargeOldPageRewritten(300, 300));
}

TEST(TableContext, AppendsToALargeTableRewriteNoFullHeapPageButTheNewest)
{
    ASSERT_NO_FATAL_FAILURE(ExpectNoLargeOldPageRewritten(3000, 400));
}

TEST(TableContext, ASmallTableKeepsItsRowsInOneHeapPage)
{
    CTableContext tc = CTableContext::Create(kMessageColumns).Value();
    ASSERT_TRUE(tc.AppendRow(1, MessageRow(1)));
    ASSERT_TRUE(tc.AppendRow(2, MessageRow(2)));
    EXPECT_EQ(tc.HeapPageCount(), 1u);
}

TEST(TableContext, PatchingOnlyChangedBlocksGivesTheNewNode)
{
    CTableContext tc = CTableContext::Create(kMessageColumns).Value();
    for (int i = 0; i < 3000; ++i) ASSERT_TRUE(tc.AppendRow(static_cast<std::uint32_t>(i + 1), MessageRow(i)));
    NodeContent node = tc.ToNode();
    tc.ClearChanged();

    // An append, an update that adds a large cell, a removal that moves the
    // last row, and an update that drops a large cell again.
    ASSERT_TRUE(tc.AppendRow(5000, MessageRow(5)));
    CPropertyBag big = MessageRow(6);
    big.Set(PR_CONVERSATION_INDEX, PropertyValue::Binary(Bytes(9000, 3)));
    ASSERT_TRUE(tc.UpdateRow(17, big));
    ASSERT_TRUE(tc.RemoveRow(2));
    ASSERT_TRUE(tc.UpdateRow(3, big));
    ASSERT_TRUE(tc.UpdateRow(3, MessageRow(3)));

    // What a writer that rewrites only the changed blocks ends up with.
    node.blocks.resize(tc.HeapPageCount());
    for (std::size_t p = 0; p < tc.HeapPageCount(); ++p)
        if (tc.ChangedHeapPages()[p]) node.blocks[p] = tc.HeapPage(p);
    auto& matrix = node.subnodes[tc.MatrixNid()].blocks;
    matrix.resize(tc.MatrixBlockCount());
    for (std::size_t b = 0; b < tc.MatrixBlockCount(); ++b)
        if (tc.ChangedMatrixBlocks()[b]) matrix[b] = tc.MatrixBlock(b);
    for (std::uint32_t nid : tc.ChangedValueSubnodes()) {
        if (const NodeContent* sub = tc.ValueSubnode(nid)) node.subnodes[nid] = *sub;
        else node.subnodes.erase(nid);
    }
    const NodeContent full = tc.ToNode();
    EXPECT_EQ(node.blocks, full.blocks);
    EXPECT_EQ(node.subnodes.size(), full.subnodes.size());
    for (const auto& [nid, sub] : full.subnodes) EXPECT_EQ(node.subnodes[nid].blocks, sub.blocks) << nid;
    std::size_t changedPages = 0;
    for (bool c : tc.ChangedHeapPages()) changedPages += c;
    EXPECT_LT(changedPages, tc.HeapPageCount() / 2);
}

TEST(TableContext, CopiesAGivenLayoutAndRejectsBadOnes)
{
    // The hand-built layout: display name at 8, count at 12, flag at 16.
    std::vector<TableColumn> columns{{PR_LTP_ROW_ID, 0, 4, 0},    {PR_LTP_ROW_VER, 4, 4, 1}, {PR_DISPLAY_NAME, 8, 4, 2},
                                     {PR_CONTENT_COUNT, 12, 4, 3}, {PR_SUBFOLDERS, 16, 1, 4}};
    auto tc = CTableContext::CreateWithLayout(columns);
    ASSERT_TRUE(tc) << tc.Message();
    EXPECT_EQ(tc->RowSize(), 18u);
    CPropertyBag cells;
    cells.Set(PR_DISPLAY_NAME, PropertyValue::Unicode(u"Inbox"));
    cells.Set(PR_SUBFOLDERS, PropertyValue::Boolean(true));
    ASSERT_TRUE(tc->AppendRow(0x8022, cells));
    // It reads back through the ordinary loader.
    auto loaded = CTableContext::Load(tc->ToNode());
    ASSERT_TRUE(loaded);
    auto row = loaded->ReadRow(0x8022).Value();
    EXPECT_EQ(row.cells.GetUnicode(PR_DISPLAY_NAME), u"Inbox");
    EXPECT_FALSE(row.cells.Has(PR_CONTENT_COUNT));
    // A copy of a loaded table's columns gives the same layout.
    auto copy = CTableContext::CreateWithLayout(loaded->Columns());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Columns(), loaded->Columns());
    EXPECT_EQ(copy->RowSize(), loaded->RowSize());

    auto broken = columns;
    broken[3].ibData = 10; // overlaps the display name
    EXPECT_FALSE(CTableContext::CreateWithLayout(broken));
    broken = columns;
    broken[4].iBit = 3; // shares the count's bit
    EXPECT_FALSE(CTableContext::CreateWithLayout(broken));
    broken = columns;
    broken[2].cbData = 8; // a string cell is an HNID
    EXPECT_FALSE(CTableContext::CreateWithLayout(broken));
    broken = columns;
    broken[0].ibData = 20;
    broken[2].ibData = 0; // the row id must lead the row
    EXPECT_FALSE(CTableContext::CreateWithLayout(broken));
    broken = columns;
    broken[4].ibData = 2; // a 1-byte cell among the 4-byte ones
    EXPECT_FALSE(CTableContext::CreateWithLayout(broken));
}

TEST(TableContext, LazyLoadReadsEachPageOnceAndLeavesTheMatrixStored)
{
    auto created = CTableContext::Create(kMessageColumns);
    ASSERT_TRUE(created);
    CTableContext tc = std::move(created.Value());
    const int count = 6000;
    for (int i = 0; i < count; ++i) ASSERT_TRUE(tc.AppendRow(0x200024 + 32 * i, MessageRow(i)));
    const NodeContent node = tc.ToNode();
    ASSERT_GT(node.blocks.size(), 24u);

    std::uint32_t matrixNid = 0;
    for (const auto& [nid, sub] : node.subnodes)
        if (sub.blocks.size() > 1) matrixNid = nid;
    ASSERT_NE(matrixNid, 0u);
    std::vector<int> pageReads(node.blocks.size(), 0);
    std::size_t matrixReads = 0;
    CTableContext::LazySource source;
    source.heapPages = node.blocks.size();
    source.heapPage = [&](std::size_t page) -> Result<Bytes> {
        ++pageReads.at(page);
        return node.blocks.at(page);
    };
    for (const auto& [nid, sub] : node.subnodes) source.subnodes.push_back(nid);
    source.subnode = [&](std::uint32_t nid) -> Result<NodeContent> {
        EXPECT_NE(nid, matrixNid) << "the matrix is read a block at a time";
        return node.subnodes.at(nid);
    };
    source.blockSizes = [&](std::uint32_t nid) -> Result<std::vector<std::size_t>> {
        std::vector<std::size_t> sizes;
        for (const Bytes& b : node.subnodes.at(nid).blocks) sizes.push_back(b.size());
        return sizes;
    };
    source.subnodeBlock = [&](std::uint32_t nid, std::size_t block) -> Result<Bytes> {
        ++matrixReads;
        return node.subnodes.at(nid).blocks.at(block);
    };
    auto lazy = CTableContext::LoadLazily(source);
    ASSERT_TRUE(lazy) << lazy.Message();
    // Loading read every heap page once (the row index's again at most) and
    // no block of the matrix; most pages left memory at once.
    EXPECT_EQ(matrixReads, 0u);
    for (std::size_t page = 0; page < pageReads.size(); ++page) EXPECT_LE(pageReads[page], 2) << page;
    EXPECT_LE(lazy->ResidentHeapPages(), 8u + 4u) << "the newest pages, the header and the row index's path";
    EXPECT_EQ(lazy->ResidentMatrixBlocks(), 0u);

    // It appends as the table it came from does, and reads what it dropped.
    ASSERT_TRUE(lazy->AppendRow(0x200024 + 32 * count, MessageRow(count)));
    ASSERT_TRUE(tc.AppendRow(0x200024 + 32 * count, MessageRow(count)));
    EXPECT_EQ(lazy->ResidentMatrixBlocks(), 1u);
    EXPECT_TRUE(lazy->ToNode() == tc.ToNode());
    EXPECT_FALSE(lazy->AppendRow(0x200024 + 32 * 7, MessageRow(7))) << "an id from a dropped page is still known";
}
