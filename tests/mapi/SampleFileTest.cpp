// The Outlook-written sample stores: read every node, and write into them.
#include "AllocationMap.h"
#include "PstFile.h"
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"

#include <gtest/gtest.h>

using namespace mapi;

namespace {

class SampleFileTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!mapitest::SampleExists(GetParam()))
            GTEST_SKIP() << "sample " << GetParam() << " not installed";
        m_path = mapitest::CopySample(m_dir, GetParam());
    }
    mapitest::CTempDir m_dir;
    std::filesystem::path m_path;
};

} // namespace

TEST_P(SampleFileTest, EveryNodeAndBlockReadsWithValidCrcs)
{
    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_GT(report->nodes, 100u);
    EXPECT_GT(report->blocks, 100u);
    EXPECT_TRUE(report->warnings.empty());

    auto db = CNodeDatabase::Open(m_path, true);
    ASSERT_TRUE(db.Ok()) << db.Message();
    EXPECT_EQ((*db)->GetFormat(), ndb::Format::Unicode);
    EXPECT_EQ((*db)->GetHeader().bCryptMethod, ndb::CryptMethod::Permute);
    // Decoded, the store's property context starts with a heap-on-node
    // header: signature 0xEC, client signature 0xBC. A wrong decoding table
    // would not give these bytes.
    auto store = (*db)->ReadNode(SpecialNid::MessageStore);
    ASSERT_TRUE(store.Ok()) << store.Message();
    ASSERT_FALSE(store->blocks.empty());
    ASSERT_GE(store->blocks[0].size(), 4u);
    EXPECT_EQ(store->blocks[0][2], 0xEC);
    EXPECT_EQ(store->blocks[0][3], 0xBC);
    EXPECT_EQ(*(*db)->GetParent(SpecialNid::RootFolder), SpecialNid::RootFolder);
    for (const auto& node : MandatoryNodes())
        EXPECT_TRUE(*(*db)->NodeExists(node.nid)) << std::hex << node.nid;

    // Every heap-on-node block carries 0xEC at byte 2 once decoded.
    std::size_t heaps = 0, nodes = 0;
    ASSERT_TRUE((*db)->ForEachNode([&](const NodeInfo& n) {
        ++nodes;
        auto content = (*db)->ReadNode(n.nid);
        EXPECT_TRUE(content.Ok()) << content.Message();
        if (content.Ok() && !content->blocks.empty() && content->blocks[0].size() > 3 &&
            content->blocks[0][2] == 0xEC)
            ++heaps;
        return true;
    }).Ok());
    EXPECT_GT(heaps, nodes / 2);
}

TEST_P(SampleFileTest, RewritingEveryNodeKeepsTheFileSoundAndEqual)
{
    std::map<Nid, std::pair<Nid, NodeContent>> before;
    {
        auto db = CNodeDatabase::Open(m_path);
        ASSERT_TRUE(db.Ok()) << db.Message();
        std::vector<NodeInfo> all;
        ASSERT_TRUE((*db)->ForEachNode([&](const NodeInfo& n) { return all.push_back(n), true; }).Ok());
        for (const auto& n : all) {
            auto c = (*db)->ReadNode(n.nid);
            ASSERT_TRUE(c.Ok());
            before[n.nid] = {n.parent, *c};
            ASSERT_TRUE((*db)->WriteNode(n.nid, n.parent, *c).Ok());
        }
        auto extra = (*db)->AllocateNid(NidType::Ltp);
        ASSERT_TRUE(extra.Ok());
        NodeContent added{{Bytes(5000, 0x11)}, {}};
        ASSERT_TRUE((*db)->WriteNode(*extra, 0, added).Ok());
        before[*extra] = {0, added};
        ASSERT_TRUE((*db)->Commit().Ok());
        ASSERT_TRUE((*db)->Close().Ok());
    }
    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    auto db = CNodeDatabase::Open(m_path, true);
    ASSERT_TRUE(db.Ok());
    for (const auto& [nid, expected] : before) {
        auto c = (*db)->ReadNode(nid);
        ASSERT_TRUE(c.Ok()) << c.Message();
        EXPECT_EQ(*c, expected.second) << std::hex << nid;
        EXPECT_EQ(*(*db)->GetParent(nid), expected.first);
    }
}

TEST_P(SampleFileTest, AllocationMapAgreesWithTheHeader)
{
    auto db = CNodeDatabase::Open(m_path, true);
    ASSERT_TRUE(db.Ok());
    const auto header = (*db)->GetHeader();
    ndb::CPstFile file;
    ASSERT_TRUE(file.Open(m_path, false, false).Ok());
    ndb::CAllocationMap map;
    ASSERT_TRUE(map.Load(file, header.root.ibAMapLast).Ok());
    EXPECT_EQ(map.FreeBytes(), header.root.cbAMapFree);
    EXPECT_EQ(map.FileEnd(), header.root.ibFileEof);
    EXPECT_EQ(map.HeaderFreeMap(), header.rgbFM);
}

INSTANTIATE_TEST_SUITE_P(Outlook, SampleFileTest, ::testing::Values("dist-list.pst", "passworded.pst"),
                         [](const auto& info) { return info.param.substr(0, info.param.find('.')) == "dist-list"
                                                           ? std::string("DistList")
                                                           : std::string("Passworded"); });
