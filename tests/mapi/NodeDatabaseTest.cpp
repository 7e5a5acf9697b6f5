#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"
#include "mapi/ndb/Page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <random>

using namespace mapi;

namespace {

// Deterministic content for a NID: `count` blocks, the last one short.
NodeContent MakeContent(Nid nid, std::size_t count, std::size_t blockSize = 8176)
{
    NodeContent c;
    std::mt19937 rng(nid);
    for (std::size_t i = 0; i < count; ++i) {
        Bytes b(i + 1 == count ? blockSize / 3 + 1 : blockSize);
        for (auto& x : b)
            x = static_cast<std::uint8_t>(rng());
        c.blocks.push_back(std::move(b));
    }
    return c;
}

class NodeDatabaseTest : public ::testing::Test {
protected:
    std::unique_ptr<CNodeDatabase> CreateDb(ndb::CryptMethod crypt = ndb::CryptMethod::Permute)
    {
        auto db = CNodeDatabase::Create(m_path, crypt);
        EXPECT_TRUE(db.Ok()) << (db.Ok() ? "" : db.Message());
        return db.Ok() ? std::move(*db) : nullptr;
    }
    std::unique_ptr<CNodeDatabase> Reopen()
    {
        auto db = CNodeDatabase::Open(m_path);
        EXPECT_TRUE(db.Ok()) << (db.Ok() ? "" : db.Message());
        return db.Ok() ? std::move(*db) : nullptr;
    }
    void ExpectSound()
    {
        auto report = CheckStructure(m_path);
        ASSERT_TRUE(report.Ok()) << report.Message();
        EXPECT_TRUE(report->warnings.empty()) << report->warnings.front();
    }

    mapitest::CTempDir m_dir;
    std::filesystem::path m_path = m_dir / "store.pst";
};

} // namespace

TEST_F(NodeDatabaseTest, NewStoreIsAnEmptySoundUnicodeFile)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->GetFormat(), ndb::Format::Unicode);
    ASSERT_TRUE(db->Close().Ok());
    ExpectSound();
    EXPECT_FALSE(CNodeDatabase::Create(m_path).Ok()) << "an existing file must not be overwritten";

    auto again = Reopen();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetHeader().bCryptMethod, ndb::CryptMethod::Permute);
    int count = 0;
    ASSERT_TRUE(again->ForEachNode([&](const NodeInfo&) { return ++count, true; }).Ok());
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(again->ReadNode(SpecialNid::MessageStore).Ok());
}

TEST_F(NodeDatabaseTest, SmallLargeAndHugeNodesReadBackAfterReopen)
{
    const std::size_t xxBlocks = 1021 + 5; // past one XBLOCK: an XXBLOCK
    for (auto crypt : {ndb::CryptMethod::Permute, ndb::CryptMethod::None, ndb::CryptMethod::Cyclic}) {
        std::filesystem::remove(m_path);
        auto db = CreateDb(crypt);
        ASSERT_TRUE(db);
        std::map<Nid, NodeContent> expected{
            {0x21, MakeContent(0x21, 1, 100)},
            {0x61, MakeContent(0x61, 1, 8176 * 3)},   // one full block, exactly at the limit
            {0x122, MakeContent(0x122, 7)},           // an XBLOCK
            {0x8022, MakeContent(0x8022, xxBlocks)},  // an XXBLOCK
            {0x8042, NodeContent{{Bytes{}}, {}}},     // one empty block
        };
        expected[0x61].blocks[0].resize(8176);
        for (const auto& [nid, content] : expected)
            ASSERT_TRUE(db->WriteNode(nid, nid == 0x8022 ? 0x122 : 0, content).Ok());
        ASSERT_TRUE(db->Commit().Ok());
        ASSERT_TRUE(db->Close().Ok());
        ExpectSound();

        auto again = Reopen();
        ASSERT_TRUE(again);
        EXPECT_EQ(again->GetHeader().bCryptMethod, crypt);
        for (const auto& [nid, content] : expected) {
            auto read = again->ReadNode(nid);
            ASSERT_TRUE(read.Ok()) << read.Message();
            EXPECT_EQ(*read, content) << std::hex << nid;
        }
        EXPECT_EQ(*again->GetParent(0x8022), 0x122u);
        auto info = again->GetNodeInfo(0x8022);
        ASSERT_TRUE(info.Ok());
        EXPECT_NE(info->bidData & ndb::kBidInternal, 0u) << "large data goes through an internal block";
    }
}

TEST_F(NodeDatabaseTest, OversizedBlocksAndNidZeroAreRefused)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    NodeContent big;
    big.blocks.push_back(Bytes(8177));
    auto r = db->WriteNode(0x21, 0, big);
    ASSERT_FALSE(r.Ok());
    EXPECT_NE(r.Message().find("8176"), std::string::npos) << r.Message();
    EXPECT_FALSE(db->WriteNode(0, 0, MakeContent(1, 1, 10)).Ok());
}

TEST_F(NodeDatabaseTest, SubnodesNestedAndManyReadBackAlsoOneByOne)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    NodeContent message = MakeContent(0x200024, 2);
    // More subnodes than one SLBLOCK holds: an SIBLOCK above them.
    for (std::uint32_t i = 0; i < 700; ++i)
        message.subnodes[MakeNid(NidType::Ltp, i + 1)] = MakeContent(i + 7, 1, 40 + i);
    NodeContent attachment = MakeContent(0x8025, 3);
    attachment.subnodes[0x1F] = MakeContent(0x99, 1, 20);
    attachment.subnodes[0x3F].subnodes[0x5F] = MakeContent(0x98, 2); // three levels deep
    message.subnodes[0x8025] = attachment;
    ASSERT_TRUE(db->WriteNode(0x200024, 0x8062, message).Ok());
    ASSERT_TRUE(db->Commit().Ok());
    ASSERT_TRUE(db->Close().Ok());
    ExpectSound();

    auto again = Reopen();
    ASSERT_TRUE(again);
    auto read = again->ReadNode(0x200024);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_EQ(*read, message);
    auto list = again->ListSubnodes(0x200024);
    ASSERT_TRUE(list.Ok());
    EXPECT_EQ(list->size(), 701u);
    EXPECT_TRUE(std::is_sorted(list->begin(), list->end()));
    auto one = again->ReadSubnode(0x200024, 0x8025);
    ASSERT_TRUE(one.Ok()) << one.Message();
    EXPECT_EQ(*one, attachment);
    EXPECT_FALSE(again->ReadSubnode(0x200024, 0x12345).Ok());
    auto data = again->ReadNodeData(0x200024);
    ASSERT_TRUE(data.Ok());
    EXPECT_EQ(*data, message.blocks);
}

TEST_F(NodeDatabaseTest, ChangesBecomeVisibleOnDiskOnlyAtCommit)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->WriteNode(0x21, 0, MakeContent(1, 1, 50)).Ok());
    ASSERT_TRUE(db->Commit().Ok());
    ASSERT_TRUE(db->WriteNode(0x61, 0, MakeContent(2, 1, 50)).Ok());
    ASSERT_TRUE(db->DeleteNode(0x21).Ok());
    EXPECT_TRUE(db->HasUncommittedChanges());
    EXPECT_TRUE(*db->NodeExists(0x61)) << "the batch reads its own writes";
    EXPECT_FALSE(*db->NodeExists(0x21));
    {
        // Another reader sees the committed state only.
        auto reader = CNodeDatabase::Open(m_path, true);
        ASSERT_TRUE(reader.Ok());
        EXPECT_TRUE(*(*reader)->NodeExists(0x21));
        EXPECT_FALSE(*(*reader)->NodeExists(0x61));
    }
    ASSERT_TRUE(db->Rollback().Ok());
    EXPECT_TRUE(*db->NodeExists(0x21));
    EXPECT_FALSE(*db->NodeExists(0x61));

    ASSERT_TRUE(db->WriteNode(0x61, 0, MakeContent(2, 1, 50)).Ok());
    db.reset(); // closed without a commit: the write is dropped
    auto again = Reopen();
    ASSERT_TRUE(again);
    EXPECT_TRUE(*again->NodeExists(0x21));
    EXPECT_FALSE(*again->NodeExists(0x61));
    ASSERT_TRUE(again->Close().Ok());
    ExpectSound();
}

TEST_F(NodeDatabaseTest, ReplacingAndDeletingReuseTheSpace)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    for (int round = 0; round < 40; ++round) {
        NodeContent c = MakeContent(static_cast<Nid>(round), 30); // about 240 KB a round
        c.subnodes[0x1F] = MakeContent(static_cast<Nid>(round + 100), 2);
        ASSERT_TRUE(db->WriteNode(0x122, 0x122, c).Ok());
        ASSERT_TRUE(db->Commit().Ok());
        auto read = db->ReadNode(0x122);
        ASSERT_TRUE(read.Ok());
        ASSERT_EQ(*read, c);
    }
    ASSERT_TRUE(db->Close().Ok());
    // Forty rounds of 240 KB rewritten in place of each other stay within a
    // few rounds' worth of file.
    EXPECT_LT(std::filesystem::file_size(m_path), 2u * 1024 * 1024);
    ExpectSound();

    auto again = Reopen();
    ASSERT_TRUE(again);
    ASSERT_TRUE(again->DeleteNode(0x122).Ok());
    EXPECT_FALSE(again->DeleteNode(0x122).Ok());
    ASSERT_TRUE(again->Commit().Ok());
    ASSERT_TRUE(again->Close().Ok());
    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_EQ(report->nodes, 0u);
    EXPECT_EQ(report->blocks, 0u);
    EXPECT_EQ(report->leakedBytes, 0u);

    // The density list follows the map: every AMap page, emptiest first.
    std::ifstream in(m_path, std::ios::binary);
    std::vector<std::uint8_t> page(512);
    in.seekg(0x4200);
    in.read(reinterpret_cast<char*>(page.data()), 512);
    auto dlist = ndb::ParseDListPage(page);
    ASSERT_TRUE(dlist.Ok()) << dlist.Message();
    const auto pages = (std::filesystem::file_size(m_path) - 0x4400) / 253952;
    ASSERT_EQ(dlist->entries.size(), pages);
    for (std::size_t i = 1; i < dlist->entries.size(); ++i)
        EXPECT_GE(dlist->entries[i - 1].freeSlots, dlist->entries[i].freeSlots);
    EXPECT_GT(dlist->entries.back().freeSlots, 3900) << "all but the map pages themselves are free";
}

TEST_F(NodeDatabaseTest, AllocatedNidsAreNewAndSurviveReopen)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    auto a = db->AllocateNid(NidType::NormalFolder);
    auto b = db->AllocateNid(NidType::NormalFolder);
    ASSERT_TRUE(a.Ok() && b.Ok());
    EXPECT_EQ(NidTypeOf(*a), NidType::NormalFolder);
    EXPECT_NE(*a, *b);
    EXPECT_GT(NidIndexOf(*a), 0x3FFu) << "below 0x400 the indexes are the special NIDs'";
    ASSERT_TRUE(db->WriteNode(MakeNid(NidType::NormalFolder, 0x500), 0x122, MakeContent(3, 1, 9)).Ok());
    ASSERT_TRUE(db->Commit().Ok());
    ASSERT_TRUE(db->Close().Ok());

    auto again = Reopen();
    ASSERT_TRUE(again);
    auto c = again->AllocateNid(NidType::NormalFolder);
    ASSERT_TRUE(c.Ok());
    EXPECT_GT(NidIndexOf(*c), 0x500u) << "a NID written directly is never handed out";
    auto m = again->AllocateNid(NidType::NormalMessage);
    ASSERT_TRUE(m.Ok());
    EXPECT_NE(*m, *a);
    EXPECT_FALSE(again->AllocateNid(0x20).Ok());
}

TEST_F(NodeDatabaseTest, TwentyThousandNodesSplitBothTreesAndShrinkBack)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    constexpr std::uint32_t kCount = 20000;
    std::vector<Nid> nids;
    for (std::uint32_t i = 0; i < kCount; ++i)
        nids.push_back(MakeNid(NidType::NormalMessage, 0x10000 + i * 7 % kCount));
    std::shuffle(nids.begin(), nids.end(), std::mt19937(5));
    for (std::uint32_t i = 0; i < kCount; ++i) {
        ASSERT_TRUE(db->WriteNode(nids[i], 0x8062, MakeContent(nids[i], 1, 24)).Ok());
        if (i % 1000 == 999) {
            ASSERT_TRUE(db->Commit().Ok());
        }
    }
    ASSERT_TRUE(db->Close().Ok());
    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_EQ(report->nodes, kCount);
    // 20,000 NBT entries need at least 1,334 leaves; the BBT as many again.
    EXPECT_GT(report->pages, 2 * 1000u);

    auto again = Reopen();
    ASSERT_TRUE(again);
    std::vector<Nid> seen;
    ASSERT_TRUE(again->ForEachNode([&](const NodeInfo& n) { return seen.push_back(n.nid), true; }).Ok());
    ASSERT_EQ(seen.size(), kCount);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    for (std::uint32_t i = 0; i < kCount; i += 997) {
        auto read = again->ReadNode(nids[i]);
        ASSERT_TRUE(read.Ok()) << read.Message();
        EXPECT_EQ(*read, MakeContent(nids[i], 1, 24));
    }
    // Delete all but every tenth node.
    for (std::uint32_t i = 0; i < kCount; ++i)
        if (i % 10 != 0) {
            ASSERT_TRUE(again->DeleteNode(nids[i]).Ok());
        }
    ASSERT_TRUE(again->Commit().Ok());
    ASSERT_TRUE(again->Close().Ok());
    auto after = CheckStructure(m_path);
    ASSERT_TRUE(after.Ok()) << after.Message();
    EXPECT_EQ(after->nodes, kCount / 10);
    EXPECT_LT(after->pages, report->pages);
    auto last = Reopen();
    for (std::uint32_t i = 0; i < kCount; i += 10)
        ASSERT_TRUE(*last->NodeExists(nids[i])) << i;
    EXPECT_FALSE(*last->NodeExists(nids[1]));
}

TEST_F(NodeDatabaseTest, StoreWithPlaceholderMandatoryNodesPassesTheCheck)
{
    auto db = CNodeDatabase::Create(m_path, ndb::CryptMethod::Permute, [](CNodeDatabase& store) -> Result<void> {
        for (const auto& node : MandatoryNodes())
            MAPI_TRY(store.WriteNode(node.nid, node.parent, MakeContent(node.nid, 1, 64)));
        return {};
    });
    ASSERT_TRUE(db.Ok()) << db.Message();
    ASSERT_TRUE((*db)->Close().Ok());
    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_EQ(report->nodes, MandatoryNodes().size());
    auto again = Reopen();
    EXPECT_EQ(*again->GetParent(SpecialNid::RootFolder), SpecialNid::RootFolder);
    EXPECT_TRUE(*again->NodeExists(SpecialNid::NameToIdMap));
}

TEST_F(NodeDatabaseTest, FailedCreationLeavesNoFile)
{
    auto db = CNodeDatabase::Create(m_path, ndb::CryptMethod::Permute, [](CNodeDatabase& store) -> Result<void> {
        MAPI_TRY(store.WriteNode(SpecialNid::MessageStore, 0, MakeContent(1, 1, 10)));
        return MakeError("the upper layer gave up");
    });
    ASSERT_FALSE(db.Ok());
    EXPECT_NE(db.Message().find("gave up"), std::string::npos) << db.Message();
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path())) << "neither the store nor its temporary file remain";
}

TEST_F(NodeDatabaseTest, ACreationRemovesWhatKilledCreationsLeftButNotWhatLivingOnesBuild)
{
    // A process that has ended: its pid names a creation that nobody builds.
    const pid_t ended = ::fork();
    ASSERT_GE(ended, 0);
    if (ended == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const auto touch = [&](const std::string& name) {
        std::ofstream(m_dir / name) << "half a store";
        return m_dir / name;
    };
    const auto killed = touch("old.pst.creating-" + std::to_string(ended));
    const auto killedOther = touch("Archive 2024.pst.creating-" + std::to_string(ended));
    const auto living = touch("other.pst.creating-" + std::to_string(::getpid()));
    const auto notOne = touch("notes.creating-12x");
    const auto unrelated = touch("letter.txt");

    ASSERT_TRUE(CreateDb());
    EXPECT_FALSE(std::filesystem::exists(killed));
    EXPECT_FALSE(std::filesystem::exists(killedOther));
    EXPECT_TRUE(std::filesystem::exists(living));
    EXPECT_TRUE(std::filesystem::exists(notOne));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
    EXPECT_TRUE(std::filesystem::exists(m_path));
}

TEST_F(NodeDatabaseTest, ReadOnlyOpenRefusesWrites)
{
    auto db = CreateDb();
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->Close().Ok());
    {
        auto writer = Reopen();
        ASSERT_TRUE(writer);
        auto second = CNodeDatabase::Open(m_path);
        ASSERT_FALSE(second.Ok()) << "two writers on one file";
        EXPECT_NE(second.Message().find("in use"), std::string::npos) << second.Message();
        EXPECT_TRUE(CNodeDatabase::Open(m_path, true).Ok()) << "readers need no lock";
    }
    EXPECT_TRUE(Reopen()) << "the lock goes with the writer";
    auto ro = CNodeDatabase::Open(m_path, true);
    ASSERT_TRUE(ro.Ok());
    EXPECT_TRUE((*ro)->IsReadOnly());
    EXPECT_FALSE((*ro)->WriteNode(0x21, 0, MakeContent(1, 1, 5)).Ok());
    EXPECT_FALSE((*ro)->Commit().Ok());
    EXPECT_FALSE((*ro)->AllocateNid(NidType::NormalFolder).Ok());
}
