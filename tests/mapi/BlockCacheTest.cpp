// The blocks the node database keeps after writing or reading them: what it
// hands out must be what the file holds under the B-tree's entry, after a
// failed batch, a rollback and with other databases open.
#include "BlockCache.h"
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"

#include <gtest/gtest.h>

#include <random>

using namespace mapi;

namespace {

std::vector<std::uint8_t> Filled(std::size_t size, std::uint8_t value) { return std::vector<std::uint8_t>(size, value); }

Bytes Random(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes b(size);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng());
    return b;
}

NodeContent Content(std::uint32_t seed, std::size_t blocks = 3, bool withSubnode = true)
{
    NodeContent c;
    for (std::size_t i = 0; i < blocks; ++i)
        c.blocks.push_back(Random(1000, seed * 16 + static_cast<std::uint32_t>(i)));
    if (withSubnode)
        c.subnodes[0x3F].blocks.push_back(Random(300, seed + 7000));
    return c;
}

} // namespace

TEST(BlockCacheTest, HoldsAtMostItsCapacityAndDropsTheLeastRecentlyUsed)
{
    ndb::CBlockCache cache(3000);
    cache.Put(0x04, 100, Filled(1000, 1));
    cache.Put(0x08, 200, Filled(1000, 2));
    cache.Put(0x0C, 300, Filled(1000, 3));
    ASSERT_NE(cache.Find(0x04, 100, 1000), nullptr); // now the most recent
    cache.Put(0x10, 400, Filled(1000, 4));
    EXPECT_LE(cache.HeldBytes(), 3000u);
    EXPECT_EQ(cache.Find(0x08, 200, 1000), nullptr) << "the least recently used goes first";
    ASSERT_NE(cache.Find(0x04, 100, 1000), nullptr);
    EXPECT_EQ((*cache.Find(0x04, 100, 1000))[0], 1);
    EXPECT_EQ((*cache.Find(0x10, 400, 1000))[0], 4);

    // The B-tree's entry decides: the same BID at another place or with
    // another size is another block, and the held one goes.
    EXPECT_EQ(cache.Find(0x0C, 308, 1000), nullptr);
    EXPECT_EQ(cache.Find(0x0C, 300, 1000), nullptr);
    EXPECT_EQ(cache.Find(0x10, 400, 999), nullptr);
    // The low bit of a BID is not part of its name.
    EXPECT_NE(cache.Find(0x05, 100, 1000), nullptr);

    EXPECT_EQ(cache.Put(0x14, 500, Filled(3001, 5)), nullptr) << "larger than the whole cache";
    cache.Erase(0x04);
    EXPECT_EQ(cache.Find(0x04, 100, 1000), nullptr);
    cache.Clear();
    EXPECT_EQ(cache.HeldBytes(), 0u);
}

// A rolled-back batch's BIDs are handed out again, and its space too: the
// blocks of the next batch may carry the same BID at the same place with the
// same size as a block the rolled-back batch wrote.
TEST(BlockCacheTest, ARolledBackBatchLeavesNothingThatTheNextOneReadsBack)
{
    mapitest::CTempDir dir;
    auto created = CNodeDatabase::Create(dir / "store.pst");
    ASSERT_TRUE(created.Ok()) << created.Message();
    auto& db = **created;
    ASSERT_TRUE(db.WriteNode(0x122, 0, Content(1)).Ok());
    ASSERT_TRUE(db.Commit().Ok());

    for (std::uint32_t round = 0; round < 4; ++round) {
        // A changing node (cached as written), then the batch is dropped.
        ASSERT_TRUE(db.WriteNode(0x122, 0, Content(100 + round)).Ok());
        // The batch reads its own writes, which come from the kept blocks.
        ASSERT_EQ(*db.ReadNode(0x122), Content(100 + round));
        ASSERT_TRUE(db.Rollback().Ok());
        // The same shapes again, once for the changing node, once for a new one.
        const Nid fresh = 0x200 + round * 0x20 + 4;
        ASSERT_TRUE(db.WriteNode(fresh, 0, Content(200 + round)).Ok());
        ASSERT_TRUE(db.Commit().Ok());
        auto read = db.ReadNode(fresh);
        ASSERT_TRUE(read.Ok()) << read.Message();
        EXPECT_EQ(*read, Content(200 + round)) << "round " << round;
        auto kept = db.ReadNode(0x122);
        ASSERT_TRUE(kept.Ok()) << kept.Message();
        EXPECT_EQ(*kept, Content(1)) << "round " << round;
    }

    // A rolled-back tree of three blocks under an XBLOCK; then a node of one
    // block and one of two, whose XBLOCK gets the same BID with other
    // blocks under it.
    for (std::uint32_t round = 0; round < 3; ++round) {
        ASSERT_TRUE(db.WriteNode(0x122, 0, Content(400 + round, 3, false)).Ok());
        ASSERT_EQ(*db.ReadNode(0x122), Content(400 + round, 3, false));
        ASSERT_TRUE(db.Rollback().Ok());
        const Nid one = 0x1000 + round * 0x40 + 4, two = one + 0x20;
        ASSERT_TRUE(db.WriteNode(one, 0, Content(500 + round, 1, false)).Ok());
        ASSERT_TRUE(db.WriteNode(two, 0, Content(600 + round, 2, false)).Ok());
        auto read = db.ReadNode(two);
        ASSERT_TRUE(read.Ok()) << read.Message();
        EXPECT_EQ(*read, Content(600 + round, 2, false)) << "round " << round;
        ASSERT_TRUE(db.Commit().Ok());
    }

    // A partial rewrite that fails half-way (its second block is too large)
    // has written its first block; the rollback drops it.
    NodeUpdate update;
    const Bytes good = Random(500, 9), tooLarge(9000, 1);
    update.data = BlockStream{};
    update.data->count = 2;
    update.data->nextChanged = [](std::size_t i) { return i; };
    update.data->size = [&](std::size_t i) { return i == 0 ? good.size() : tooLarge.size(); };
    update.data->bytes = [&](std::size_t i) { return i == 0 ? good : tooLarge; };
    EXPECT_FALSE(db.UpdateNode(0x122, 0, update).Ok());
    ASSERT_TRUE(db.Rollback().Ok());
    ASSERT_TRUE(db.WriteNode(0x402, 0, Content(300, 1)).Ok());
    ASSERT_TRUE(db.Commit().Ok());
    EXPECT_EQ(*db.ReadNode(0x402), Content(300, 1));
    EXPECT_EQ(*db.ReadNode(0x122), Content(1));
    ASSERT_TRUE(db.Close().Ok());

    auto report = CheckStructure(dir / "store.pst");
    ASSERT_TRUE(report.Ok()) << report.Message();
    auto reopened = CNodeDatabase::Open(dir / "store.pst", true);
    ASSERT_TRUE(reopened.Ok()) << reopened.Message();
    EXPECT_EQ(*(*reopened)->ReadNode(0x122), Content(1));
    EXPECT_EQ(*(*reopened)->ReadNode(0x402), Content(300, 1));
}

// Two files written side by side hand out the same BIDs at the same places
// for different bytes; each database reads its own, also after a reopen.
TEST(BlockCacheTest, DatabasesOpenAtOnceReadTheirOwnBlocks)
{
    mapitest::CTempDir dir;
    auto a = CNodeDatabase::Create(dir / "a.pst");
    auto b = CNodeDatabase::Create(dir / "b.pst");
    ASSERT_TRUE(a.Ok() && b.Ok());
    for (std::uint32_t round = 0; round < 5; ++round) {
        ASSERT_TRUE((*a)->WriteNode(0x122, 0, Content(10 + round)).Ok());
        ASSERT_TRUE((*b)->WriteNode(0x122, 0, Content(20 + round)).Ok());
        ASSERT_TRUE((*a)->Commit().Ok());
        ASSERT_TRUE((*b)->Commit().Ok());
        ASSERT_EQ((*a)->GetNodeInfo(0x122)->bidData, (*b)->GetNodeInfo(0x122)->bidData);
        EXPECT_EQ(*(*a)->ReadNode(0x122), Content(10 + round));
        EXPECT_EQ(*(*b)->ReadNode(0x122), Content(20 + round));
    }
    // A reader opened while the writer goes on reads what the header it
    // opened under refers to; reopened, the newest.
    auto reader = CNodeDatabase::Open(dir / "a.pst", true);
    ASSERT_TRUE(reader.Ok());
    EXPECT_EQ(*(*reader)->ReadNode(0x122), Content(14));
    ASSERT_TRUE((*a)->WriteNode(0x122, 0, Content(30)).Ok());
    ASSERT_TRUE((*a)->Close().Ok());
    ASSERT_TRUE((*b)->Close().Ok());
    (*reader)->Close();
    auto again = CNodeDatabase::Open(dir / "a.pst");
    ASSERT_TRUE(again.Ok());
    EXPECT_EQ(*(*again)->ReadNode(0x122), Content(14)) << "the last write was never committed";
    ASSERT_TRUE((*again)->WriteNode(0x122, 0, Content(31)).Ok());
    ASSERT_TRUE((*again)->Commit().Ok());
    EXPECT_EQ(*(*again)->ReadNode(0x122), Content(31));
}
