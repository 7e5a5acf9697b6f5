// Damaged files: every truncation and bit flip is either caught with an error
// or harmless to what the file holds; none may crash or hang.
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace mapi;

namespace {

using Snapshot = std::map<Nid, NodeContent>;

std::vector<char> ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::filesystem::path& p, const std::vector<char>& bytes, std::size_t size)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(size));
}

// Reads every node; false when anything fails to read.
bool ReadEverything(const std::filesystem::path& p, Snapshot* out)
{
    auto db = CNodeDatabase::Open(p, true);
    if (!db.Ok()) {
        EXPECT_FALSE(db.Message().empty());
        return false;
    }
    std::vector<Nid> nids;
    auto walked = (*db)->ForEachNode([&](const NodeInfo& n) { return nids.push_back(n.nid), true; });
    bool ok = walked.Ok();
    for (Nid nid : nids) {
        auto c = (*db)->ReadNode(nid);
        if (!c.Ok()) {
            EXPECT_FALSE(c.Message().empty());
            ok = false;
        } else if (out) {
            (*out)[nid] = std::move(*c);
        }
    }
    return ok;
}

class DamagedFileTest : public ::testing::Test {
protected:
    void MakeStore()
    {
        auto db = CNodeDatabase::Create(m_original);
        ASSERT_TRUE(db.Ok());
        std::mt19937 rng(3);
        for (Nid i = 0; i < 60; ++i) {
            NodeContent c;
            const std::size_t blocks = i % 20 == 0 ? 4 : 1;
            for (std::size_t b = 0; b < blocks; ++b) {
                Bytes data(100 + rng() % 3000);
                for (auto& x : data)
                    x = static_cast<std::uint8_t>(rng());
                c.blocks.push_back(data);
            }
            if (i % 7 == 0)
                c.subnodes[0x1F] = NodeContent{{Bytes(300, static_cast<std::uint8_t>(i))}, {}};
            ASSERT_TRUE((*db)->WriteNode(MakeNid(NidType::NormalMessage, 0x10001 + i), 0x8062, c).Ok());
        }
        ASSERT_TRUE((*db)->Commit().Ok());
        ASSERT_TRUE((*db)->Close().Ok());
    }

    // Flips random bits all over the file; each damaged copy must fail the
    // check or read back exactly as the original.
    void FlipLoop(const std::filesystem::path& original, int rounds, unsigned seed)
    {
        Snapshot expected;
        ASSERT_TRUE(ReadEverything(original, &expected));
        const auto bytes = ReadAll(original);
        std::mt19937 rng(seed);
        int caught = 0;
        for (int i = 0; i < rounds; ++i) {
            auto copy = bytes;
            // Half of the flips land in the first 40 KB: header, maps, pages.
            const std::size_t limit = i % 2 ? copy.size() : std::min<std::size_t>(copy.size(), 40960);
            const std::size_t at = rng() % limit;
            copy[at] = static_cast<char>(copy[at] ^ (1 << (rng() % 8)));
            WriteAll(m_damaged, copy, copy.size());
            const auto report = CheckStructure(m_damaged);
            Snapshot got;
            const bool readable = ReadEverything(m_damaged, &got);
            if (!report.Ok()) {
                EXPECT_FALSE(report.Message().empty());
                ++caught;
                continue;
            }
            EXPECT_TRUE(readable) << "the check passed but a read failed, flip at " << at;
            EXPECT_TRUE(got == expected) << "undetected change of content, flip at " << at;
        }
        EXPECT_GT(caught, rounds / 10) << "flips in the used structures are caught";
    }

    mapitest::CTempDir m_dir;
    std::filesystem::path m_original = m_dir / "original.pst";
    std::filesystem::path m_damaged = m_dir / "damaged.pst";
};

} // namespace

TEST_F(DamagedFileTest, TruncatedCopiesFailWithAnError)
{
    MakeStore();
    const auto bytes = ReadAll(m_original);
    std::vector<std::size_t> lengths = {0, 1, 8, 100, 511, 512, 563, 564, 0x4400, 0x4400 + 511, 0x4600};
    std::mt19937 rng(11);
    for (int i = 0; i < 60; ++i)
        lengths.push_back(rng() % bytes.size());
    lengths.push_back(bytes.size() - 1);
    for (std::size_t length : lengths) {
        WriteAll(m_damaged, bytes, length);
        auto report = CheckStructure(m_damaged);
        EXPECT_FALSE(report.Ok()) << "truncated to " << length;
        if (!report.Ok()) {
            EXPECT_FALSE(report.Message().empty());
        }
        ReadEverything(m_damaged, nullptr);
        if (length < 564) {
            EXPECT_FALSE(CNodeDatabase::Open(m_damaged, true).Ok()) << length;
        }
    }
}

TEST_F(DamagedFileTest, BitFlipsInOurFilesAreCaughtOrHarmless)
{
    MakeStore();
    FlipLoop(m_original, 400, 21);
}

TEST_F(DamagedFileTest, BitFlipsInAnOutlookFileAreCaughtOrHarmless)
{
    if (!mapitest::SampleExists("dist-list.pst"))
        GTEST_SKIP() << "sample not installed";
    FlipLoop(mapitest::CopySample(m_dir, "dist-list.pst"), 300, 22);
}

TEST_F(DamagedFileTest, DamageInOneNodeLeavesTheOthersReadable)
{
    MakeStore();
    auto db = CNodeDatabase::Open(m_original, true);
    ASSERT_TRUE(db.Ok());
    const Nid victim = MakeNid(NidType::NormalMessage, 0x10005);
    auto info = (*db)->GetNodeInfo(victim);
    ASSERT_TRUE(info.Ok());
    db->reset();

    // Damage the first byte of the victim's data block, found by its
    // stored (encoded) bytes.
    auto bytes = ReadAll(m_original);
    Snapshot before;
    ASSERT_TRUE(ReadEverything(m_original, &before));
    const Bytes& first = before[victim].blocks[0];
    Bytes encoded(first.begin(), first.begin() + 32);
    ndb::EncodeBlock(ndb::CryptMethod::Permute, encoded, info->bidData);
    auto it = std::search(bytes.begin(), bytes.end(), encoded.begin(), encoded.end(),
                          [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    ASSERT_NE(it, bytes.end());
    *it = static_cast<char>(*it ^ 0x10);
    WriteAll(m_damaged, bytes, bytes.size());

    auto damaged = CNodeDatabase::Open(m_damaged, true);
    ASSERT_TRUE(damaged.Ok());
    auto read = (*damaged)->ReadNode(victim);
    ASSERT_FALSE(read.Ok());
    EXPECT_NE(read.Message().find("CRC"), std::string::npos) << read.Message();
    for (const auto& [nid, content] : before) {
        if (nid == victim)
            continue;
        auto other = (*damaged)->ReadNode(nid);
        ASSERT_TRUE(other.Ok()) << other.Message();
        EXPECT_EQ(*other, content);
    }
    EXPECT_FALSE(CheckStructure(m_damaged).Ok());
}
