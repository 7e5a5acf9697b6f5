// The file under the node database hands its writes to the host in runs:
// what the store reads back, and what another reader of the file sees once
// a commit has written its header, is what was written, in the order it
// was written.
#include "PstFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

using mapi::ndb::CPstFile;

namespace {

std::vector<std::uint8_t> Filled(std::size_t size, std::uint8_t value) { return std::vector<std::uint8_t>(size, value); }

// The file's bytes as another process reads them.
std::vector<std::uint8_t> HostBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PstFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_file.Open(m_path, true, true).Ok());
        ASSERT_TRUE(m_file.Resize(8192).Ok());
    }
    mapitest::CTempDir m_dir;
    std::filesystem::path m_path = m_dir / "file.pst";
    CPstFile m_file;
};

TEST_F(PstFileTest, ReadsSeeEveryWriteAndTheLaterOfTwoOverlappingOnes)
{
    ASSERT_TRUE(m_file.WriteAt(1024, Filled(512, 1)).Ok());
    ASSERT_TRUE(m_file.WriteAt(1536, Filled(512, 2)).Ok());
    ASSERT_TRUE(m_file.WriteAt(1280, Filled(512, 3)).Ok()); // over both
    ASSERT_TRUE(m_file.WriteAt(8192, Filled(64, 4)).Ok());  // past the end: the file grows
    EXPECT_EQ(m_file.Size(), 8256u);

    auto read = m_file.ReadAt(1024, 1024);
    ASSERT_TRUE(read.Ok()) << read.Message();
    std::vector<std::uint8_t> wanted = Filled(256, 1);
    const auto three = Filled(512, 3), two = Filled(256, 2);
    wanted.insert(wanted.end(), three.begin(), three.end());
    wanted.insert(wanted.end(), two.begin(), two.end());
    EXPECT_EQ(*read, wanted);
    auto end = m_file.ReadAt(8192, 64);
    ASSERT_TRUE(end.Ok()) << end.Message();
    EXPECT_EQ(*end, Filled(64, 4));
}

TEST_F(PstFileTest, TheHeaderHandsEveryWriteBeforeItToTheHost)
{
    // Adjacent, apart and out of order, as a commit writes its blocks.
    ASSERT_TRUE(m_file.WriteAt(4096, Filled(512, 5)).Ok());
    ASSERT_TRUE(m_file.WriteAt(2048, Filled(512, 6)).Ok());
    ASSERT_TRUE(m_file.WriteAt(2560, Filled(512, 7)).Ok());
    ASSERT_TRUE(m_file.WriteAt(0, Filled(564, 8)).Ok());

    const auto host = HostBytes(m_path);
    ASSERT_EQ(host.size(), 8192u);
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin(), host.begin() + 564), Filled(564, 8));
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 2048, host.begin() + 2560), Filled(512, 6));
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 2560, host.begin() + 3072), Filled(512, 7));
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 4096, host.begin() + 4608), Filled(512, 5));
}

TEST_F(PstFileTest, AFlushAResizeAndTheCloseHandOnWhatIsPending)
{
    ASSERT_TRUE(m_file.WriteAt(512, Filled(512, 9)).Ok());
    ASSERT_TRUE(m_file.Sync().Ok());
    EXPECT_EQ(HostBytes(m_path)[700], 9);

    // A resize that cuts a pending write: written first, then cut, as
    // before the writes were gathered.
    ASSERT_TRUE(m_file.WriteAt(8000, Filled(192, 10)).Ok());
    ASSERT_TRUE(m_file.Resize(8100).Ok());
    auto host = HostBytes(m_path);
    ASSERT_EQ(host.size(), 8100u);
    EXPECT_EQ(host[8099], 10);

    ASSERT_TRUE(m_file.WriteAt(3000, Filled(10, 11)).Ok());
    m_file.Close();
    EXPECT_EQ(HostBytes(m_path)[3005], 11);
}

// A commit's writes side by side, small and large, across host pages and
// with gaps between them: the host ends up with each byte as last written.
TEST_F(PstFileTest, GatheredRunsAcrossHostPagesLandByteForByte)
{
    std::mt19937 rng(17);
    std::vector<std::uint8_t> model = HostBytes(m_path);
    for (int round = 0; round < 30; ++round) {
        std::uint64_t at = 512 + rng() % 9000;
        const int count = 1 + static_cast<int>(rng() % 40);
        for (int k = 0; k < count; ++k) {
            // Mostly adjacent pieces, now and then a gap; some span pages.
            const std::size_t size = rng() % 4 == 0 ? 1 + rng() % 9000 : 1 + rng() % 700;
            if (rng() % 5 == 0)
                at += rng() % 3000;
            std::vector<std::uint8_t> bytes(size);
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(rng());
            ASSERT_TRUE(m_file.WriteAt(at, bytes).Ok());
            if (model.size() < at + size)
                model.resize(at + size, 0);
            std::copy(bytes.begin(), bytes.end(), model.begin() + static_cast<std::ptrdiff_t>(at));
            at += size;
        }
        ASSERT_TRUE(m_file.Sync().Ok());
        const auto host = HostBytes(m_path);
        ASSERT_EQ(host.size(), model.size()) << "round " << round;
        ASSERT_TRUE(host == model) << "round " << round;
    }
}

} // namespace
