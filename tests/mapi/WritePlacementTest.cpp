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
