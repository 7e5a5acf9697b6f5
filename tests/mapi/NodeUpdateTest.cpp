// Partial node rewrites: what changed is written, the rest stays in place,
// and the node reads back as if it had been written whole.
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"

#include <gtest/gtest.h>

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
    s.changed = [changed, stored](std::size_t i) { return i >= stored || changed.count(i) > 0; };
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

// A table grows at its end, one commit per row: past 128 blocks its tree
// is an XXBLOCK over XBLOCKs of 128, so an append writes its block, the
// small last XBLOCK and the XXBLOCK, whatever the size of the node; a
// whole rewrite keeps the tree it finds and a shrink gives back what it
// no longer uses.
TEST_F(NodeUpdateTest, AnAppendPastOneHundredAndTwentyEightBlocksRewritesASmallLastXblock)
{
    std::vector<Bytes> blocks;
    for (int i = 0; i < 120; ++i)
        blocks.push_back(RandomBlock(m_rng, 8176));
    ASSERT_TRUE(m_db->WriteNode(kNode, 0, NodeContent{blocks, {}}).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());

    std::uint64_t fileBefore = std::filesystem::file_size(m_path);
    for (std::size_t count = 121; count <= 400; ++count) {
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
        if (count == 129) {
            // The single XBLOCK gives way to an XXBLOCK over two.
            EXPECT_EQ(written, 2u + 2u + 1u);
        } else if (count > 129) {
            // Two data blocks, the last XBLOCK (two when a group begins:
            // the one it ends is written full) and the XXBLOCK.
            EXPECT_EQ(written, 2u + ((count - 1) % 128 == 0 ? 2u : 1u) + 1u) << count;
        }
    }
    // 280 appends of about 8 KB each: the file grows by little more.
    EXPECT_LT(std::filesystem::file_size(m_path) - fileBefore, 280u * 8192u + 1024u * 1024u);
    auto read = m_db->ReadNode(kNode);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_TRUE(read->blocks == blocks);

    // One block in the first group changes: that group's XBLOCK and the
    // XXBLOCK are written, the other groups stay.
    blocks[5] = RandomBlock(m_rng, 8176);
    NodeUpdate update;
    update.data = Partial(blocks, {5}, blocks.size());
    std::uint64_t before = m_db->GetHeader().bidNextB;
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    EXPECT_EQ(BlocksWritten(before), 3u);

    // A tree written whole (one XBLOCK over 600 blocks, as other writers
    // leave it) takes the groups at its first append, once.
    const Nid whole = MakeNid(NidType::HierarchyTable, 0x501);
    std::vector<Bytes> rows;
    for (int i = 0; i < 600; ++i)
        rows.push_back(RandomBlock(m_rng, 8176));
    ASSERT_TRUE(m_db->WriteNode(whole, 0, NodeContent{rows, {}}).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    rows.push_back(RandomBlock(m_rng, 50));
    update.data = Partial(rows, {}, 600);
    before = m_db->GetHeader().bidNextB;
    ASSERT_TRUE(m_db->UpdateNode(whole, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    EXPECT_EQ(BlocksWritten(before), 1u + 5u + 1u) << "the new block, five XBLOCKs of up to 128, the XXBLOCK";
    rows.push_back(RandomBlock(m_rng, 60));
    update.data = Partial(rows, {}, 601);
    before = m_db->GetHeader().bidNextB;
    ASSERT_TRUE(m_db->UpdateNode(whole, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    EXPECT_EQ(BlocksWritten(before), 1u + 1u + 1u);
    auto wholeRead = m_db->ReadNode(whole);
    ASSERT_TRUE(wholeRead.Ok()) << wholeRead.Message();
    EXPECT_TRUE(wholeRead->blocks == rows);

    // Shrunk below the first group: one XBLOCK again.
    blocks.resize(90);
    update.data = Partial(blocks, {}, blocks.size() + 310);
    ASSERT_TRUE(m_db->UpdateNode(kNode, 0, update).Ok());
    ASSERT_TRUE(m_db->Commit().Ok());
    read = m_db->ReadNode(kNode);
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
