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
#include <string>

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

// The write system calls of this process so far, as the kernel counts them.
std::uint64_t WriteCalls()
{
    std::ifstream in("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (in >> key >> value)
        if (key == "syscw:")
            return value;
    return 0;
}

// The bytes of this process's writes that reached the page cache as pages
// to write out, as the kernel counts them.
std::uint64_t BytesDirtied()
{
    std::ifstream in("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (in >> key >> value)
        if (key == "write_bytes:")
            return value;
    return 0;
}

// A run over host pages the file held when it was opened goes a page at a
// time (a longer write would have the host keep and write out the pages as
// one unit); over pages it has written or grown by, the run goes in one
// write.
TEST_F(PstFileTest, ARunGoesInOneWriteOverPagesTheFileHasWrittenOrGrownBy)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer makes write calls of its own (its checks of memory through a pipe)";
#endif
    ASSERT_TRUE(m_file.Resize(10 * 4096).Ok());
    auto run = [&](std::uint8_t value) {
        // Three pieces over three pages, not on page bounds.
        EXPECT_TRUE(m_file.WriteAt(4096 + 100, Filled(5000, value)).Ok());
        EXPECT_TRUE(m_file.WriteAt(4096 + 5100, Filled(3000, value)).Ok());
        EXPECT_TRUE(m_file.WriteAt(4096 + 8100, Filled(1000, value)).Ok());
        const std::uint64_t before = WriteCalls();
        EXPECT_TRUE(m_file.Sync().Ok());
        return WriteCalls() - before;
    };
    EXPECT_EQ(run(1), 1u) << "three pages the file grew by";
    EXPECT_EQ(run(2), 1u) << "the same pages again";
    auto host = HostBytes(m_path);
    ASSERT_EQ(host.size(), 10u * 4096);
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 4196, host.begin() + 4096 + 9100), Filled(9000, 2));

    // Reopened, the file knows none of its pages again.
    m_file.Close();
    ASSERT_TRUE(m_file.Open(m_path, true, false).Ok());
    EXPECT_EQ(run(3), 3u);
    EXPECT_EQ(run(4), 1u) << "the same pages again";
    // A run reaching one page further: the known pages together, the new
    // one on its own.
    ASSERT_TRUE(m_file.WriteAt(4096 + 9100, Filled(4000, 3)).Ok());
    EXPECT_EQ(run(5), 2u);
    host = HostBytes(m_path);
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 4196, host.begin() + 4096 + 9100), Filled(9000, 5));
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 4096 + 9100, host.begin() + 4096 + 13100), Filled(4000, 3));

    // Cut off and grown again, the pages past the cut are grown-by ones.
    ASSERT_TRUE(m_file.Resize(4096 + 4096).Ok());
    ASSERT_TRUE(m_file.Resize(10 * 4096).Ok());
    EXPECT_EQ(run(6), 1u);
    host = HostBytes(m_path);
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 4196, host.begin() + 4096 + 9100), Filled(9000, 6));
    EXPECT_EQ(std::vector<std::uint8_t>(host.begin() + 4096 + 9100, host.begin() + 10 * 4096), Filled(27764, 0))
        << "what lay past the cut is gone";
}

// Pages the file grew by and wrote in one run stay units of their own: a
// later small change to one of them has one page written out, not the run.
TEST_F(PstFileTest, ARunIntoGrownPagesLeavesEachPageItsOwnUnit)
{
    ASSERT_TRUE(m_file.Resize(4096 + 16 * 4096).Ok());
    ASSERT_TRUE(m_file.WriteAt(4096, Filled(16 * 4096, 1)).Ok());
    ASSERT_TRUE(m_file.Sync().Ok());
    const std::uint64_t before = BytesDirtied();
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(m_file.WriteAt(4096 + (4 + i) * 4096 + 100, Filled(100, 2)).Ok());
        ASSERT_TRUE(m_file.Sync().Ok());
    }
    const std::uint64_t dirtied = BytesDirtied() - before;
    if (dirtied == 0)
        GTEST_SKIP() << "the file system of the temporary folder does not count dirtied pages";
    EXPECT_EQ(dirtied, 8u * 4096);
    const auto host = HostBytes(m_path);
    EXPECT_EQ(host[4096 + 4 * 4096 + 100], 2);
    EXPECT_EQ(host[4096 + 4 * 4096 + 99], 1);
}

} // namespace
