// The B-tree's page cache: pages a batch made or read are dropped between
// batches once there are more than the cache keeps, so memory stays bounded
// however large the tree grows, and dropped pages read back on demand.
#include "BTree.h"

#include <gtest/gtest.h>

#include <map>

using namespace mapi;
using namespace mapi::ndb;

TEST(BTreeCache, AGrowingTreeKeepsAtMostTheCachedPagesBetweenBatches)
{
    std::map<std::uint64_t, std::vector<std::uint8_t>> disk;
    std::uint64_t nextPage = 0x4400, nextBid = 1;
    CBTree<NbtEntry> tree(Format::Unicode, PageType::NBT, [&](const Bref& b) -> Result<BtPage> {
        auto it = disk.find(b.ib);
        if (it == disk.end())
            return MakeError("no page there");
        return ParseBtPage(Format::Unicode, it->second, b);
    });
    tree.ResetEmpty();
    PageSink sink;
    sink.allocate = [&]() -> Result<Bref> {
        const Bref at{nextBid++, nextPage};
        nextPage += kPageSize;
        return at;
    };
    sink.write = [&](const Bref& at, std::vector<std::uint8_t> bytes) -> Result<void> {
        disk[at.ib] = std::move(bytes);
        return {};
    };
    sink.release = [&](const Bref& old) { disk.erase(old.ib); };

    constexpr std::uint64_t kKeep = 64;
    for (std::uint32_t batch = 0; batch < 100; ++batch) {
        for (std::uint32_t i = 0; i < 500; ++i) {
            const std::uint64_t nid = (batch * 500 + i) * 32 + 4;
            ASSERT_TRUE(tree.Put(NbtEntry{nid, nid, 0, 0x122}).Ok());
        }
        ASSERT_TRUE(tree.Flush(sink).Ok());
        tree.Trim(kKeep);
        ASSERT_LE(tree.CachedPages(), kKeep) << "after batch " << batch;
    }
    for (std::uint64_t nid : {4ull, 24'999ull * 32 + 4, 49'999ull * 32 + 4}) {
        auto found = tree.Find(nid);
        ASSERT_TRUE(found.Ok()) << found.Message();
        ASSERT_TRUE(found->has_value());
        EXPECT_EQ((*found)->bidData, nid);
    }
}
