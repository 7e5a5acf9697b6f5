// Where a batch's blocks and pages land: side by side, so that a commit
// dirties few disk pages, without the file growing past what it holds.
#include "PstFile.h"
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"
#include "mapi/ndb/Page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace mapi;

namespace {

// The 4 KB pages of the file that writes touched.
class CPageCounter : public ndb::IFileObserver {
public:
    std::set<std::uint64_t> pages;
    void Wrote(std::uint64_t ib, const std::vector<std::uint8_t>& bytes) override
    {
        if (bytes.empty())
            return;
        for (std::uint64_t p = ib / 4096; p <= (ib + bytes.size() - 1) / 4096; ++p)
            pages.insert(p);
    }
    void Resized(std::uint64_t) override {}
    void Synced() override {}
};

NodeContent OneBlock(std::size_t size, std::uint8_t fill)
{
    NodeContent c;
    c.blocks.push_back(Bytes(size, fill));
    return c;
}

Nid MessageNid(std::uint32_t i) { return MakeNid(NidType::NormalMessage, 0x1000 + i); }

class WritePlacementTest : public ::testing::Test {
protected:
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

TEST_F(WritePlacementTest, ABatchWritesItsBlocksSideBySideInAFileFullOfSmallHoles)
{
    {
        auto db = CNodeDatabase::Create(m_path, ndb::CryptMethod::Permute);
        ASSERT_TRUE(db.Ok()) << db.Message();
        // 256 bytes on disk each; every 16th deleted leaves holes 4 KB apart.
        for (std::uint32_t i = 0; i < 600; ++i)
            ASSERT_TRUE((*db)->WriteNode(MessageNid(i), 0, OneBlock(200, static_cast<std::uint8_t>(i))).Ok());
        ASSERT_TRUE((*db)->Commit().Ok());
        for (std::uint32_t i = 0; i < 600; i += 16)
            ASSERT_TRUE((*db)->DeleteNode(MessageNid(i)).Ok());
        ASSERT_TRUE((*db)->Commit().Ok());
        ASSERT_TRUE((*db)->Close().Ok());
    }
    auto db = CNodeDatabase::Open(m_path);
    ASSERT_TRUE(db.Ok()) << db.Message();
    constexpr std::uint32_t kAdded = 32;
    CPageCounter counter;
    ndb::SetFileObserver(&counter);
    for (std::uint32_t i = 0; i < kAdded; ++i)
        ASSERT_TRUE((*db)->WriteNode(MessageNid(1000 + i), 0, OneBlock(200, 0xA5)).Ok());
    auto committed = (*db)->Commit();
    ndb::SetFileObserver(nullptr);
    ASSERT_TRUE(committed.Ok()) << committed.Message();
    // 8 KB of blocks and a few B-tree pages, the map, the density list and
    // the header; one hole per block would be a page per block.
    EXPECT_LE(counter.pages.size(), kAdded / 2) << ::testing::PrintToString(counter.pages);
    ASSERT_TRUE((*db)->Close().Ok());
    ExpectSound();

    auto again = CNodeDatabase::Open(m_path, true);
    ASSERT_TRUE(again.Ok()) << again.Message();
    for (std::uint32_t i = 0; i < kAdded; ++i) {
        auto read = (*again)->ReadNode(MessageNid(1000 + i));
        ASSERT_TRUE(read.Ok()) << read.Message();
        EXPECT_EQ(*read, OneBlock(200, 0xA5));
    }
    for (std::uint32_t i = 1; i < 600; i += 16) {
        auto read = (*again)->ReadNode(MessageNid(i));
        ASSERT_TRUE(read.Ok()) << read.Message();
        EXPECT_EQ(*read, OneBlock(200, static_cast<std::uint8_t>(i)));
    }
}

TEST_F(WritePlacementTest, NewNodesBesideARewrittenOneLeaveNoGrowingHoles)
{
    // A conversion's pattern: each batch adds a node that stays and rewrites
    // one that grows (a table), whose old blocks come free a batch later.
    auto db = CNodeDatabase::Create(m_path, ndb::CryptMethod::Permute);
    ASSERT_TRUE(db.Ok()) << db.Message();
    const Nid table = MakeNid(NidType::ContentsTable, 0x500);
    std::uint64_t lasting = 0;
    for (std::uint32_t round = 0; round < 400; ++round) {
        const std::size_t size = 700 + (round * 37) % 3000;
        ASSERT_TRUE((*db)->WriteNode(MessageNid(round), 0, OneBlock(size, static_cast<std::uint8_t>(round))).Ok());
        lasting += (size + 16 + 63) / 64 * 64;
        NodeContent rows;
        rows.blocks.assign(round / 60 + 1, Bytes(8176, 0x11));
        rows.blocks.back().resize(100 + (round % 60) * 130);
        ASSERT_TRUE((*db)->WriteNode(table, 0, rows).Ok());
        ASSERT_TRUE((*db)->Commit().Ok());
    }
    ASSERT_TRUE((*db)->Close().Ok());
    ExpectSound();
    // What stays is about 760 KB and the table 60 KB; the B-trees and the
    // maps add some. The space of replaced blocks is used again.
    EXPECT_LT(std::filesystem::file_size(m_path), lasting + 1024 * 1024);
    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_EQ(report->leakedBytes, 0u);
}

namespace {

// Counts the writes of the density list page.
class CDListWrites : public ndb::IFileObserver {
public:
    int writes = 0;
    void Wrote(std::uint64_t ib, const std::vector<std::uint8_t>&) override { writes += ib == 0x4200 ? 1 : 0; }
    void Resized(std::uint64_t) override {}
    void Synced() override {}
};

std::size_t DListEntries(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> page(512);
    in.seekg(0x4200);
    in.read(reinterpret_cast<char*>(page.data()), 512);
    auto dlist = ndb::ParseDListPage(page);
    EXPECT_TRUE(dlist.Ok()) << dlist.Message();
    return dlist.Ok() ? dlist->entries.size() : 0;
}

} // namespace

TEST_F(WritePlacementTest, TheDensityListIsWrittenWhenTheFileGrowsAndAtTheCloseNotWithEveryBatch)
{
    auto db = CNodeDatabase::Create(m_path, ndb::CryptMethod::Permute);
    ASSERT_TRUE(db.Ok()) << db.Message();
    CDListWrites counter;
    ndb::SetFileObserver(&counter);
    for (std::uint32_t i = 0; i < 20; ++i) {
        ASSERT_TRUE((*db)->WriteNode(MessageNid(i), 0, OneBlock(300, 1)).Ok());
        ASSERT_TRUE((*db)->Commit().Ok());
    }
    EXPECT_EQ(counter.writes, 0) << "twenty batches within the first map page";
    // 300 KB more: the file grows by a map page, and the list with it.
    for (std::uint32_t i = 20; i < 60; ++i)
        ASSERT_TRUE((*db)->WriteNode(MessageNid(i), 0, OneBlock(8000, 2)).Ok());
    ASSERT_TRUE((*db)->Commit().Ok());
    ndb::SetFileObserver(nullptr);
    EXPECT_EQ(counter.writes, 1);
    const auto pages = (std::filesystem::file_size(m_path) - 0x4400) / 253952;
    EXPECT_GT(pages, 1u);
    EXPECT_EQ(DListEntries(m_path), pages);
    ASSERT_TRUE((*db)->Close().Ok());
    EXPECT_EQ(DListEntries(m_path), pages);
    ExpectSound();
}

namespace {

// Counts the writes that land on one 512-byte page.
class CPageWrites : public ndb::IFileObserver {
public:
    explicit CPageWrites(std::uint64_t ib) : m_ib(ib) {}
    int writes = 0;
    void Wrote(std::uint64_t ib, const std::vector<std::uint8_t>&) override { writes += ib == m_ib ? 1 : 0; }
    void Resized(std::uint64_t) override {}
    void Synced() override {}

private:
    std::uint64_t m_ib;
};

std::vector<std::uint8_t> PageAt(const std::filesystem::path& path, std::uint64_t ib)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> page(512);
    in.seekg(static_cast<std::streamoff>(ib));
    in.read(reinterpret_cast<char*>(page.data()), 512);
    return page;
}

// The longest run of clear bits of an AMap page, in 64-byte units, at most 255.
std::uint8_t LongestFreeRunOf(const std::vector<std::uint8_t>& bits)
{
    std::size_t run = 0, longest = 0;
    for (std::size_t u = 0; u < bits.size() * 8; ++u) {
        run = (bits[u / 8] >> (7 - u % 8)) & 1 ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return static_cast<std::uint8_t>(std::min<std::size_t>(longest, 255));
}

} // namespace

// Past 32 MB the file has FMap pages, which sum up each AMap's longest free
// run; like the density list they only guide allocation, so batches that
// change those runs leave them, and the close brings them up to date.
TEST_F(WritePlacementTest, FreeMapPagesAreWrittenWhenTheFileGrowsAndAtTheCloseNotWithEveryBatch)
{
    constexpr std::uint64_t kCoverage = 253952;
    const std::uint64_t fmapAt = 0x4400 + 128 * kCoverage + 1024;
    auto db = CNodeDatabase::Create(m_path, ndb::CryptMethod::None);
    ASSERT_TRUE(db.Ok()) << db.Message();
    // 33 MB of 8 KB nodes: AMap 128 and its FMap exist.
    std::uint32_t next = 0;
    for (; next < 4200; ++next)
        ASSERT_TRUE((*db)->WriteNode(MessageNid(next), 0, OneBlock(8000, 3)).Ok());
    ASSERT_TRUE((*db)->Commit().Ok());
    ASSERT_GT(std::filesystem::file_size(m_path), fmapAt + 512);

    CPageWrites counter(fmapAt);
    ndb::SetFileObserver(&counter);
    // Nodes deleted and added within the map pages the file has: the longest
    // runs of AMap 128 and after change, the file does not grow.
    const auto sizeBefore = std::filesystem::file_size(m_path);
    for (std::uint32_t round = 0; round < 12; ++round) {
        ASSERT_TRUE((*db)->DeleteNode(MessageNid(4100 + round * 3)).Ok());
        ASSERT_TRUE((*db)->WriteNode(MessageNid(next++), 0, OneBlock(300, 4)).Ok());
        ASSERT_TRUE((*db)->Commit().Ok());
    }
    EXPECT_EQ(std::filesystem::file_size(m_path), sizeBefore);
    EXPECT_EQ(counter.writes, 0);
    ASSERT_TRUE((*db)->Close().Ok());
    ndb::SetFileObserver(nullptr);
    EXPECT_EQ(counter.writes, 1) << "written once, at the close";

    // On disk the FMap now holds each AMap's longest free run.
    auto fmap = ndb::ParseMapPage(ndb::Format::Unicode, PageAt(m_path, fmapAt), ndb::PageType::FMap, fmapAt);
    ASSERT_TRUE(fmap.Ok()) << fmap.Message();
    const std::uint64_t amaps = (std::filesystem::file_size(m_path) - 0x4400) / kCoverage;
    for (std::uint64_t i = 128; i < amaps; ++i) {
        const std::uint64_t at = 0x4400 + i * kCoverage;
        auto bits = ndb::ParseMapPage(ndb::Format::Unicode, PageAt(m_path, at), ndb::PageType::AMap, at);
        ASSERT_TRUE(bits.Ok()) << bits.Message();
        EXPECT_EQ((*fmap)[i - 128], LongestFreeRunOf(*bits)) << "AMap " << i;
    }
    ExpectSound();
}

// A batch's rewritten blocks and B-tree pages go on where the one before
// ended, but from the next host page: a page holding the last ones of the
// batch before would be dirtied and written out again by this batch's sync.
TEST_F(WritePlacementTest, ConsecutiveBatchesRewriteIntoHostPagesOfTheirOwn)
{
    auto db = CNodeDatabase::Create(m_path, ndb::CryptMethod::Permute);
    ASSERT_TRUE(db.Ok()) << db.Message();
    for (std::uint32_t i = 0; i < 3; ++i)
        ASSERT_TRUE((*db)->WriteNode(MessageNid(i), 0, OneBlock(700, 1)).Ok());
    ASSERT_TRUE((*db)->Commit().Ok());
    // The header's page and the page of the density list and the first map.
    const std::set<std::uint64_t> fixed = {0, ndb::kFirstAMapOffset / 4096};
    std::set<std::uint64_t> before;
    for (int batch = 0; batch < 12; ++batch) {
        CPageCounter counter;
        ndb::SetFileObserver(&counter);
        // Small rewrites, far less than a page together.
        const auto fill = static_cast<std::uint8_t>(batch + 2);
        auto written = (*db)->WriteNode(MessageNid(static_cast<std::uint32_t>(batch) % 3), 0, OneBlock(300, fill));
        auto committed = written ? (*db)->Commit() : written;
        ndb::SetFileObserver(nullptr);
        ASSERT_TRUE(committed.Ok()) << committed.Message();
        std::set<std::uint64_t> pages;
        for (std::uint64_t p : counter.pages)
            if (!fixed.count(p))
                pages.insert(p);
        ASSERT_FALSE(pages.empty());
        for (std::uint64_t p : pages)
            EXPECT_EQ(before.count(p), 0u) << "batch " << batch << " rewrote page " << p << " of the batch before";
        before = pages;
    }
    ASSERT_TRUE((*db)->Close().Ok());
    ExpectSound();
    auto again = CNodeDatabase::Open(m_path, true);
    ASSERT_TRUE(again.Ok()) << again.Message();
    for (std::uint32_t i = 0; i < 3; ++i) {
        auto read = (*again)->ReadNode(MessageNid(i));
        ASSERT_TRUE(read.Ok()) << read.Message();
        EXPECT_EQ(*read, OneBlock(300, static_cast<std::uint8_t>(9 + i + 2))) << i;
    }
}
