// Tables written through their changes: after every partial rewrite the node
// in the file is exactly what writing the whole table would have written.
#include "../TempDir.h"
#include "message/TableCache.h"
#include "mapi/ltp/TableTemplates.h"

#include <gtest/gtest.h>

using namespace mapi;
using namespace mapi::message;

namespace {

constexpr Nid kTable = MakeNid(NidType::ContentsTable, 0x401);

ltp::CPropertyBag RowCells(std::uint32_t i)
{
    ltp::CPropertyBag cells;
    cells.Set(PR_SUBJECT, ltp::PropertyValue::Unicode(u"Subject " + std::u16string(i % 40, u's')));
    cells.Set(PR_MESSAGE_CLASS, ltp::PropertyValue::Unicode(u"IPM.Note"));
    cells.Set(PR_MESSAGE_FLAGS, ltp::PropertyValue::Long(static_cast<std::int32_t>(i)));
    cells.Set(PR_MESSAGE_DELIVERY_TIME, ltp::PropertyValue::SysTime(i));
    // Now and then a value too large for the heap: a value subnode.
    if (i % 97 == 0)
        cells.Set(PR_DISPLAY_TO, ltp::PropertyValue::Unicode(std::u16string(2000 + i % 300, u't')));
    cells.Set(PR_LTP_ROW_VER, ltp::PropertyValue::Long(1));
    return cells;
}

} // namespace

TEST(TableCache, PartialRewritesLeaveWhatAWholeWriteWould)
{
    mapitest::CTempDir dir;
    auto db = CNodeDatabase::Create(dir / "tables.pst");
    ASSERT_TRUE(db.Ok()) << db.Message();
    CTableCache cache;
    cache.AddNew(kTable, *ltp::CreateTable(ltp::TableKind::Contents));
    ASSERT_TRUE(cache.Write(**db, kTable, 0).Ok());

    auto expectStoredAsWhole = [&](std::uint32_t rows) {
        ASSERT_TRUE((*db)->Commit().Ok());
        auto table = cache.Get(**db, kTable);
        ASSERT_TRUE(table.Ok());
        auto stored = (*db)->ReadNode(kTable);
        ASSERT_TRUE(stored.Ok()) << stored.Message();
        ASSERT_TRUE(*stored == (*table)->ToNode()) << "after " << rows << " rows";
    };
    for (std::uint32_t i = 0; i < 2500; ++i) {
        auto table = cache.Get(**db, kTable);
        ASSERT_TRUE(table.Ok());
        ASSERT_TRUE((*table)->AppendRow(0x200004 + 32 * i, RowCells(i)).Ok());
        // Updates and removals rewrite rows in the middle of the matrix.
        if (i % 50 == 49) {
            ASSERT_TRUE((*table)->UpdateRow(0x200004 + 32 * (i / 2), RowCells(i + 1)).Ok());
            ASSERT_TRUE((*table)->RemoveRow(0x200004 + 32 * (i - 10)).Ok());
        }
        ASSERT_TRUE(cache.Write(**db, kTable, 0).Ok());
        if (i % 250 == 0 || i == 2499)
            expectStoredAsWhole(i + 1);
        // Read back from the file half-way, as a reopened store would.
        if (i == 1200) {
            ASSERT_TRUE((*db)->Commit().Ok());
            cache.Clear();
        }
    }
    // Between writes a table holds what the next row needs, not its rows.
    auto table = cache.Get(**db, kTable);
    ASSERT_TRUE((*table)->AppendRow(0x200004 + 32 * 2500, RowCells(2500)).Ok());
    ASSERT_TRUE(cache.Write(**db, kTable, 0).Ok());
    EXPECT_TRUE((*table)->MatrixInSubnode());
    EXPECT_GT((*table)->HeapPageCount(), 20u);
    EXPECT_LE((*table)->ResidentHeapPages(), 8u + 2u + 3u)
        << "the newest pages, a fill-level bitmap and the row index's path to its last leaf";
    EXPECT_EQ((*table)->ResidentMatrixBlocks(), 1u);

    // What it dropped it reads back: the rows a fresh read of the node has.
    ASSERT_TRUE((*db)->Commit().Ok());
    auto rows = (*table)->ReadAllRows();
    ASSERT_TRUE(rows.Ok()) << rows.Message();
    auto fresh = ltp::CTableContext::Load(*(*db)->ReadNode(kTable));
    ASSERT_TRUE(fresh.Ok());
    auto freshRows = fresh->ReadAllRows();
    ASSERT_TRUE(freshRows.Ok());
    ASSERT_EQ(rows->size(), freshRows->size());
    for (std::size_t i = 0; i < rows->size(); ++i)
        ASSERT_TRUE((*rows)[i].rowId == (*freshRows)[i].rowId && (*rows)[i].cells == (*freshRows)[i].cells) << i;
    cache.Settle();
    EXPECT_EQ((*table)->ResidentMatrixBlocks(), 1u);
}
