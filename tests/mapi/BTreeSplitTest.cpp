// How the B-tree splits its pages: keys that only grow (new messages' NIDs,
// new BIDs) leave full pages behind them, keys in any order half-full ones.
#include "BTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace mapi;
using namespace mapi::ndb;

namespace {

// A tree over pages kept in memory, counting the pages each flush writes.
class BTreeSplitTest : public ::testing::Test {
protected:
    BTreeSplitTest()
        : m_tree(Format::Unicode, PageType::NBT, [this](const Bref& b) -> Result<BtPage> {
              auto it = m_disk.find(b.ib);
              if (it == m_disk.end())
                  return MakeError("no page there");
              return ParseBtPage(Format::Unicode, it->second, b);
          })
    {
        m_tree.ResetEmpty();
        m_sink.allocate = [this]() -> Result<Bref> {
            const Bref at{m_nextBid++, m_nextPage};
            m_nextPage += kPageSize;
            return at;
        };
        m_sink.write = [this](const Bref& at, std::vector<std::uint8_t> bytes) -> Result<void> {
            m_disk[at.ib] = std::move(bytes);
            ++m_written;
            return {};
        };
        m_sink.release = [this](const Bref& old) { m_disk.erase(old.ib); };
    }

    // Puts one key as a batch of its own and returns the pages it wrote.
    std::size_t PutAlone(std::uint64_t nid)
    {
        m_written = 0;
        EXPECT_TRUE(m_tree.Put(NbtEntry{nid, nid, 0, 0x122}).Ok());
        EXPECT_TRUE(m_tree.Flush(m_sink).Ok());
        return m_written;
    }

    void ExpectAllFound(const std::vector<std::uint64_t>& nids)
    {
        for (std::uint64_t nid : nids) {
            auto found = m_tree.Find(nid);
            ASSERT_TRUE(found.Ok()) << found.Message();
            ASSERT_TRUE(found->has_value()) << nid;
            EXPECT_EQ((*found)->bidData, nid);
        }
    }

    std::map<std::uint64_t, std::vector<std::uint8_t>> m_disk;
    std::uint64_t m_nextPage = 0x4400, m_nextBid = 1;
    std::size_t m_written = 0;
    CBTree<NbtEntry> m_tree;
    PageSink m_sink;
};

// A Unicode NBT leaf holds 15 entries, an index page 20.
constexpr std::size_t kLeafEntries = 15;

} // namespace

TEST_F(BTreeSplitTest, KeysThatOnlyGrowLeaveFullPagesAndAShallowTree)
{
    constexpr std::size_t kKeys = 3000;
    std::vector<std::uint64_t> nids;
    std::size_t lastWrites = 0;
    for (std::size_t i = 0; i < kKeys; ++i) {
        nids.push_back(0x200004 + 32 * i);
        const std::size_t written = PutAlone(nids.back());
        if (i + 200 >= kKeys)
            lastWrites = std::max(lastWrites, written);
    }
    // 200 full leaves under 10 index pages under the root; even splits
    // would leave some 375 leaves and a fourth level, which every append
    // rewrites.
    EXPECT_LE(m_disk.size(), kKeys / kLeafEntries + 12);
    EXPECT_LE(lastWrites, 3u + 1u) << "a split adds one page to a batch";
    ExpectAllFound(nids);
}

TEST_F(BTreeSplitTest, KeysInAnyOrderStillSplitPagesEvenly)
{
    constexpr std::size_t kKeys = 3000;
    std::vector<std::uint64_t> nids;
    for (std::size_t i = 0; i < kKeys; ++i)
        nids.push_back(0x200004 + 32 * i);
    std::vector<std::uint64_t> shuffled = nids;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    for (std::size_t i = 0; i < kKeys; i += 50) {
        for (std::size_t j = i; j < i + 50; ++j)
            ASSERT_TRUE(m_tree.Put(NbtEntry{shuffled[j], shuffled[j], 0, 0x122}).Ok());
        ASSERT_TRUE(m_tree.Flush(m_sink).Ok());
    }
    // Pages at least about half full: a split that left one entry behind
    // on every random insert would need several times as many.
    EXPECT_LE(m_disk.size(), 2 * kKeys / (kLeafEntries / 2));
    EXPECT_GE(m_disk.size(), kKeys / kLeafEntries);
    ExpectAllFound(nids);
    // A key put at the front of every page still finds its place.
    ASSERT_TRUE(m_tree.Put(NbtEntry{4, 4, 0, 0x122}).Ok());
    ASSERT_TRUE(m_tree.Flush(m_sink).Ok());
    ExpectAllFound({4, nids.front(), nids.back()});
}
