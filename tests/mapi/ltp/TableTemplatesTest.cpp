#include <gtest/gtest.h>

#include <set>

#include "mapi/ltp/TableTemplates.h"

using namespace mapi;
using namespace mapi::ltp;

TEST(TableTemplates, EveryTemplateBuildsAnEmptyTableThatReadsBack)
{
    for (TableKind kind : {TableKind::Hierarchy, TableKind::Contents, TableKind::FaiContents, TableKind::SearchContents,
                           TableKind::Recipients, TableKind::Attachments}) {
        const TableTemplate& t = GetTableTemplate(kind);
        auto tc = CreateTable(kind);
        ASSERT_TRUE(tc) << t.nid << ": " << tc.Message();
        // Every template column, and no other, once each.
        std::set<std::uint32_t> tags;
        for (const auto& c : tc->Columns()) tags.insert(c.tag);
        EXPECT_EQ(tags, std::set<std::uint32_t>(t.columns.begin(), t.columns.end())) << t.nid;
        auto loaded = CTableContext::Load(tc->ToNode());
        ASSERT_TRUE(loaded) << t.nid << ": " << loaded.Message();
        EXPECT_EQ(loaded->Columns(), tc->Columns());
        EXPECT_EQ(loaded->ReadAllRows().Value().size(), 0u);
    }
}

TEST(TableTemplates, HierarchyRowsCarryTheFolderColumns)
{
    CTableContext tc = CreateTable(TableKind::Hierarchy).Value();
    // Eleven 4-byte cells (three of them HNIDs), the 8-byte change number,
    // the 1-byte PR_SUBFOLDERS and two bytes of bitmap for 13 columns.
    EXPECT_EQ(tc.RowSize(), 4u * 11 + 8 + 1 + 2);
    CPropertyBag folder;
    folder.Set(PR_DISPLAY_NAME, PropertyValue::Unicode(u"Inbox"));
    folder.Set(PR_CONTENT_COUNT, PropertyValue::Long(12));
    folder.Set(PR_CONTENT_UNREAD, PropertyValue::Long(3));
    folder.Set(PR_SUBFOLDERS, PropertyValue::Boolean(false));
    folder.Set(PR_CONTAINER_CLASS, PropertyValue::Unicode(u"IPF.Note"));
    ASSERT_TRUE(tc.AppendRow(0x8022, folder));
    auto row = CTableContext::Load(tc.ToNode()).Value().ReadRow(0x8022);
    ASSERT_TRUE(row) << row.Message();
    EXPECT_EQ(row->cells.GetUnicode(PR_CONTAINER_CLASS), u"IPF.Note");
    EXPECT_EQ(row->cells.GetLong(PR_CONTENT_UNREAD), 3);
    EXPECT_TRUE(row->cells.Has(PR_SUBFOLDERS));
    EXPECT_FALSE(row->cells.GetBoolean(PR_SUBFOLDERS, true));
}
