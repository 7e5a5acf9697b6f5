// A new store's nodes and folders, folder operations and the counts that the
// folder's property context and its parent's hierarchy table both keep.
#include "../TempDir.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"
#include "mapi/Store.h"

#include <gtest/gtest.h>

using namespace mapi;

namespace {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto store = CStore::Create(m_path, u"Marlwick Export");
        ASSERT_TRUE(store.Ok()) << store.Message();
        m_store = *store;
    }
    std::shared_ptr<CStore> Reopen(bool readOnly = false)
    {
        if (m_store) {
            EXPECT_TRUE(m_store->Close().Ok());
        }
        auto store = CStore::Open(m_path, readOnly);
        EXPECT_TRUE(store.Ok()) << store.Message();
        m_store = store.Ok() ? *store : nullptr;
        return m_store;
    }
    CFolder Ipm() { return *m_store->GetIpmSubtree(); }
    // The row that lists `folder` in its parent's hierarchy table.
    FolderInfo RowOf(const CFolder& folder)
    {
        auto rows = folder.GetParent()->ListSubfolders();
        EXPECT_TRUE(rows.Ok());
        for (const auto& row : *rows)
            if (row.nid == folder.GetNid())
                return row;
        ADD_FAILURE() << "no hierarchy row for folder " << folder.GetNid();
        return {};
    }

    mapitest::CTempDir m_dir;
    std::filesystem::path m_path = m_dir / "store.pst";
    std::shared_ptr<CStore> m_store;
};

std::vector<std::u16string> NamesOf(const std::vector<FolderInfo>& folders)
{
    std::vector<std::u16string> names;
    for (const auto& f : folders)
        names.push_back(f.name);
    return names;
}

} // namespace

TEST_F(StoreTest, ANewStoreHasTheRequiredNodesFoldersAndEntryIds)
{
    ASSERT_TRUE(m_store->Close().Ok());
    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_EQ(report->leakedBytes, 0u);
    EXPECT_TRUE(report->warnings.empty());
    {
        auto db = CNodeDatabase::Open(m_path, true);
        ASSERT_TRUE(db.Ok());
        for (const auto& node : MandatoryNodes())
            EXPECT_TRUE(*(*db)->NodeExists(node.nid)) << std::hex << node.nid;
        for (Nid nid : {0x8022u, 0x802Du, 0x802Eu, 0x802Fu, 0x8042u, 0x8062u, 0x2223u, 0x2226u, 0x2227u, 0x2230u})
            EXPECT_TRUE(*(*db)->NodeExists(nid)) << std::hex << nid;
        EXPECT_EQ(*(*db)->GetParent(0x8062), 0x8022u);
        EXPECT_EQ(*(*db)->GetParent(SpecialNid::RootFolder), SpecialNid::RootFolder);
    }

    Reopen();
    EXPECT_EQ(*m_store->GetDisplayName(), u"Marlwick Export");
    const Bytes key = *m_store->GetRecordKey();
    ASSERT_EQ(key.size(), 16u);
    Bytes expected(4, 0);
    expected.insert(expected.end(), key.begin(), key.end());
    expected.insert(expected.end(), {0x22, 0x80, 0x00, 0x00});
    auto props = m_store->GetProperties();
    ASSERT_TRUE(props.Ok());
    EXPECT_EQ(props->GetBinary(PR_IPM_SUBTREE_ENTRYID), expected);
    EXPECT_EQ(*m_store->NidFromEntryId(props->GetBinary(PR_IPM_WASTEBASKET_ENTRYID)), 0x8062u);
    EXPECT_EQ(*m_store->NidFromEntryId(props->GetBinary(PR_FINDER_ENTRYID)), 0x8042u);
    Bytes foreign = expected;
    foreign[7] ^= 1;
    EXPECT_FALSE(m_store->NidFromEntryId(foreign).Ok());

    auto root = m_store->GetRootFolder();
    ASSERT_TRUE(root.Ok());
    EXPECT_EQ(*root->GetName(), u"");
    EXPECT_EQ(NamesOf(*root->ListSubfolders()),
              (std::vector<std::u16string>{u"Top of Personal Folders", u"Search Root", u"SPAM Search Folder 2"}));
    EXPECT_EQ(NamesOf(*Ipm().ListSubfolders()), std::vector<std::u16string>{u"Deleted Items"});
    EXPECT_TRUE(root->GetCounts()->hasSubfolders);
    EXPECT_TRUE(RowOf(Ipm()).counts.hasSubfolders);
}

TEST_F(StoreTest, FoldersAreFoundWithoutRegardToCaseAndNamedOnce)
{
    auto mail = Ipm().CreateSubfolder(u"Notes Mail", kClassNoteFolder);
    ASSERT_TRUE(mail.Ok()) << mail.Message();
    auto contacts = Ipm().CreateSubfolder(u"Contacts", kClassContactFolder);
    auto calendar = Ipm().CreateSubfolder(u"Calendar", kClassAppointmentFolder);
    ASSERT_TRUE(contacts.Ok() && calendar.Ok());
    auto nested = mail->CreateSubfolder(u"Ärchiv 2024");
    ASSERT_TRUE(nested.Ok()) << nested.Message();

    EXPECT_FALSE(Ipm().CreateSubfolder(u"notes MAIL").Ok()) << "names differ only in case";
    EXPECT_FALSE(Ipm().CreateSubfolder(u"").Ok());
    EXPECT_TRUE(mail->CreateSubfolder(u"Contacts").Ok()) << "the same name under another parent";

    Reopen();
    auto found = Ipm().FindSubfolder(u"NOTES mail");
    ASSERT_TRUE(found.Ok() && found->has_value());
    EXPECT_EQ((*found)->GetNid(), mail->GetNid());
    auto inner = (*found)->FindSubfolder(u"ärchiv 2024");
    ASSERT_TRUE(inner.Ok() && inner->has_value());
    EXPECT_EQ(*(*inner)->GetName(), u"Ärchiv 2024");
    EXPECT_EQ(*(*inner)->GetContainerClass(), u"IPF.Note");
    EXPECT_FALSE(Ipm().FindSubfolder(u"Archive")->has_value());
    EXPECT_EQ(*m_store->OpenFolder(calendar->GetNid())->GetContainerClass(), u"IPF.Appointment");
    EXPECT_EQ(RowOf(*m_store->OpenFolder(contacts->GetNid())).containerClass, u"IPF.Contact");
    EXPECT_TRUE(RowOf(*m_store->OpenFolder(mail->GetNid())).counts.hasSubfolders);
    EXPECT_EQ(m_store->OpenFolder(mail->GetNid())->GetParent()->GetNid(), Ipm().GetNid());

    ASSERT_TRUE(m_store->OpenFolder(calendar->GetNid())->SetName(u"Kalender").Ok());
    EXPECT_EQ(RowOf(*m_store->OpenFolder(calendar->GetNid())).name, u"Kalender");
    EXPECT_FALSE(m_store->OpenFolder(0x12345).Ok());
}

TEST_F(StoreTest, CountsInThePcAndTheHierarchyRowFollowEverySave)
{
    auto folder = Ipm().CreateSubfolder(u"Inbox");
    ASSERT_TRUE(folder.Ok());
    std::vector<CMessage> saved;
    for (int i = 0; i < 5; ++i) {
        CMessage m = folder->CreateMessage();
        m.SetSubject(u"m" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
        m.SetRead(i % 2 == 0);
        ASSERT_TRUE(m.Save().Ok());
        saved.push_back(m);
    }
    auto expectCounts = [&](int count, int unread) {
        auto counts = folder->GetCounts();
        ASSERT_TRUE(counts.Ok());
        EXPECT_EQ(counts->contentCount, count);
        EXPECT_EQ(counts->unreadCount, unread);
        const FolderInfo row = RowOf(*folder);
        EXPECT_EQ(row.counts.contentCount, count);
        EXPECT_EQ(row.counts.unreadCount, unread);
        EXPECT_EQ(folder->ListMessages()->size(), static_cast<std::size_t>(count));
    };
    expectCounts(5, 2);

    // Saving again replaces the message; only a change of the read flag
    // changes the counts.
    saved[1].SetRead(true);
    saved[1].SetSubject(u"now read");
    ASSERT_TRUE(saved[1].Save().Ok());
    ASSERT_TRUE(saved[2].Save().Ok());
    saved[0].SetRead(false);
    ASSERT_TRUE(saved[0].Save().Ok());
    Reopen();
    folder = m_store->OpenFolder(folder->GetNid());
    expectCounts(5, 2);
    auto list = folder->ListMessages();
    ASSERT_TRUE(list.Ok());
    ASSERT_EQ((*list)[1].nid, saved[1].GetNid());
    EXPECT_EQ((*list)[1].subject, u"now read");
    EXPECT_TRUE((*list)[1].flags & MSGFLAG_READ);
}
