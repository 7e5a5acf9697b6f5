// Partial node rewrites: what changed is written, the rest stays in place,
// and the node reads back as if it had been written whole.
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

using namespace mapi;

namespace {

constexpr Nid kNode = MakeNid(NidType::ContentsTable, 0x500);

Bytes RandomBlock(std::mt19937& rng, std::size_t size)
{
    Bytes b(size);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng());
    return b;
}

// A stream over `blocks` in which only the blocks in `changed` (and those
// past `stored`) are new.
BlockStream Partial(const std::vector<Bytes>& blocks, std::set<std::size_t> changed, std::size_t stored)
{
    BlockStream s;
    s.count = blocks.size();
    s.nextChanged = [changed, stored](std::size_t i) {
        auto it = changed.lower_bound(i);
        return std::min(it == changed.end() ? stored : *it, std::max(i, stored));
    };
    s.size = [&blocks](std::size_t i) { return blocks[i].size(); };
    s.bytes = [&blocks](std::size_t i) { return blocks[i]; };
    return s;
}

class NodeUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto db = CNodeDatabase::Create(m_path);
        ASSERT_TRUE(db.Ok()) << db.Message();
        m_db = std::move(*db);
    }
    // Blocks written since `before`, from the BID counter.
    std::uint64_t BlocksWritten(std::uint64_t before) const { return (m_db->GetHeader().bidNextB - before) / 4; }
    void ExpectSoundWithoutLeaks()
    {
        ASSERT_TRUE(m_db->Close().Ok());
        auto report = CheckStructure(m_path);
        ASSERT_TRUE(report.Ok()) << report.Message();
        EXPECT_EQ(report->leakedBytes, 0u);
        EXPECT_TRUE(report->warnings.empty()) << report->warnings.front();
    }

    mapitest::CTempDir m_dir;
    std::filesystem::path m_path = m_dir / "update.pst";
    std::unique_ptr<CNodeDatabase> m_db;
    std::mt19937 m_rng{7};
};

} // namespace

TEST_F(NodeUpdateTest, ChangingAFewBlocksOfAnXxblockTreeWritesOnlyThoseAndTheirXblocks)
{
    // 1021 blocks fill one XBLOCK: 2100 blocks need an XXBLOCK over three.
    std::vector<Bytes> blocks;
    for (int i = 0; i < 2100; ++i)
        blocks.push_back(RandomBlock(m_rng, 8176));
    ASSERT_TRUE(m_db->WriteNode(kNode, 0, NodeContent{blocks, {}}).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());

    // One block in the second XBLOCK changes and two blocks are appended to
    // the third; the first XBLOCK is kept.
    blocks[1500] = RandomBlock(m_rng, 8000);
    blocks.push_back(RandomBlock(m_rng, 8176));
    blocks.push_back(RandomBlock(m_rng, 10));
    const std::uint64_t before = m_db->GetHeader().bidNextB;
    NodeUpdate update;
    update.data = Partial(blocks, {1500}, 2100);
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    // Three data blocks, the two XBLOCKs over them and the XXBLOCK.
    EXPECT_EQ(BlocksWritten(before), 6u);

    auto read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(read->blocks == blocks);

    // Shrinking to a single block drops the tree above it.
    blocks.resize(1);
    update.data = Partial(blocks, {}, 2102);
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(read->blocks == blocks);
    ExpectSoundWithoutLeaks();
}

// A table grows at its end, one commit per row. Its XBLOCKs are filled to
// the last entry before a next one begins, as the mail client leaves them
// (a reader may find a block by dividing its index by an XBLOCK's
// entries): an append writes its blocks and the last XBLOCK, and the
// XXBLOCK once there is one; a shrink gives back what it no longer uses.
TEST_F(NodeUpdateTest, AnAppendFillsTheLastXblockBeforeItBeginsAnother)
{
    constexpr std::size_t kPerXblock = 1021;
    std::vector<Bytes> blocks;
    for (std::size_t i = 0; i + 6 < kPerXblock; ++i)
        blocks.push_back(RandomBlock(m_rng, 8176));
    ASSERT_TRUE(m_db->WriteNode(kNode, 0, NodeContent{blocks, {}}).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());

    for (std::size_t count = blocks.size() + 1; count <= kPerXblock + 8; ++count) {
        // The last block fills up and then a new one begins.
        const std::size_t stored = blocks.size();
        blocks.back() = RandomBlock(m_rng, 8176);
        blocks.push_back(RandomBlock(m_rng, 100 + count));
        NodeUpdate update;
        update.data = Partial(blocks, {stored - 1}, stored);
        const std::uint64_t before = m_db->GetHeader().bidNextB;
        ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok()) << count;
        ASSERT_TRUE(m_db->Commit().Ok()) << count;
        const std::uint64_t written = BlocksWritten(before);
        if (count <= kPerXblock) {
            EXPECT_EQ(written, 2u + 1u) << count << ": two data blocks and the one XBLOCK";
        } else if (count == kPerXblock + 1) {
            EXPECT_EQ(written, 2u + 2u + 1u) << "the full XBLOCK, a new one of one block and the XXBLOCK";
        } else {
            EXPECT_EQ(written, 2u + 1u + 1u) << count << ": the first XBLOCK stays";
        }
    }
    auto read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(read->blocks == blocks);

    // One block under the first XBLOCK changes: that XBLOCK and the XXBLOCK
    // are written, the last XBLOCK stays.
    blocks[5] = RandomBlock(m_rng, 8176);
    NodeUpdate update;
    update.data = Partial(blocks, {5}, blocks.size());
    std::uint64_t before = m_db->GetHeader().bidNextB;
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    EXPECT_EQ(BlocksWritten(before), 3u);
    read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(read->blocks == blocks);

    // Shrunk below one XBLOCK's worth: one XBLOCK again.
    const std::size_t stored = blocks.size();
    blocks.resize(90);
    update.data = Partial(blocks, {}, stored);
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(read->blocks == blocks);
    ExpectSoundWithoutLeaks();
}

// The next rewrite takes the tree the last one wrote from memory; a rollback
// hands the same BIDs out again, for other blocks, and the rewrite after it
// goes by the tree that is stored.
TEST_F(NodeUpdateTest, ARewriteAfterARollbackGoesByTheStoredTree)
{
    std::vector<Bytes> blocks;
    for (int i = 0; i < 1100; ++i)
        blocks.push_back(RandomBlock(m_rng, 100 + i % 50));
    ASSERT_TRUE(m_db->WriteNode(kNode, 0, NodeContent{blocks, {}}).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());

    // Block 5 and an appended one, rolled back.
    std::vector<Bytes> dropped = blocks;
    dropped[5] = RandomBlock(m_rng, 4000);
    dropped.push_back(RandomBlock(m_rng, 300));
    NodeUpdate update;
    update.data = Partial(dropped, {5}, blocks.size());
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Rollback().Ok());

    // The same number of blocks again, so the tree's top takes the BID the
    // dropped one had: block 6 and another appended one.
    const std::size_t stored = blocks.size();
    blocks[6] = RandomBlock(m_rng, 3000);
    blocks.push_back(RandomBlock(m_rng, 200));
    update.data = Partial(blocks, {6}, stored);
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());

    // Appends on top of it, each from the tree the one before wrote.
    for (int round = 0; round < 3; ++round) {
        const std::size_t before = blocks.size();
        blocks.push_back(RandomBlock(m_rng, 500 + round));
        update.data = Partial(blocks, {}, before);
        ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
        ASSERT_TRUE(m_db->Commit().Ok());
    }
    auto read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(read->blocks == blocks);
    ExpectSoundWithoutLeaks();
}

TEST_F(NodeUpdateTest, SubnodesAreChangedAddedAndRemovedWhileTheOthersStay)
{
    NodeContent node;
    node.blocks = {RandomBlock(m_rng, 300)};
    for (Nid sub : {0x1Fu, 0x3Fu, 0x5Fu})
        node.subnodes[sub].blocks = {RandomBlock(m_rng, 8176), RandomBlock(m_rng, 8176), RandomBlock(m_rng, 99)};
    node.subnodes[0x3F].subnodes[0x1F].blocks = {RandomBlock(m_rng, 40)};
    ASSERT_TRUE(m_db->WriteNode(kNode, 0x122, node).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());

    // 0x1F grows by one block, 0x5F goes, 0x7F is new; 0x3F keeps its data
    // and its own subnode; the node's data stays.
    auto& grown = node.subnodes[0x1F].blocks;
    grown.back() = RandomBlock(m_rng, 8176);
    grown.push_back(RandomBlock(m_rng, 5));
    node.subnodes.erase(0x5F);
    node.subnodes[0x7F].blocks = {RandomBlock(m_rng, 77)};
    NodeUpdate update;
    update.subnodes[0x1F] = Partial(grown, {2}, 3);
    update.subnodes[0x5F] = std::nullopt;
    update.subnodes[0x7F] = BlockStream::Whole(node.subnodes[0x7F].blocks);
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0x122, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());

    auto read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(*read == node);
    EXPECT_EQ(*m_db->GetParent(kNode), 0x122u);
    ExpectSoundWithoutLeaks();
}

TEST_F(NodeUpdateTest, ABlockCalledUnchangedMustBeStored)
{
    std::vector<Bytes> blocks{RandomBlock(m_rng, 100)};
    NodeUpdate update;
    update.data = Partial(blocks, {}, 1);
    EXPECT_FALSE(m_db->UpdateNode(kNode, 0, update).Ok()) << "a new node has no stored blocks";

    ASSERT_TRUE(m_db->WriteNode(kNode, 0, NodeContent{blocks, {}}).Ok());
    blocks.push_back(RandomBlock(m_rng, 100));
    update.data = Partial(blocks, {}, 2);
    EXPECT_FALSE(m_db->UpdateNode(kNode, 0, update).Ok()) << "block 1 was never written";
}
