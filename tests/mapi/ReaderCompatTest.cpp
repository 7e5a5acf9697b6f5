// Files our writer touched, read by the independent PST readers of Debian
// (pffexport of pff-tools, readpst of pst-utils) when they are installed.
#include "ReaderTools.h"
#include "TempDir.h"
#include "mapi/NodeDatabase.h"

#include <gtest/gtest.h>


using namespace mapi;
using namespace mapitest;

namespace {

// Moves every block and page of the file: each node is written anew.
void RewriteEveryNode(const std::filesystem::path& path)
{
    auto db = CNodeDatabase::Open(path);
    ASSERT_TRUE(db.Ok()) << db.Message();
    std::vector<NodeInfo> all;
    ASSERT_TRUE((*db)->ForEachNode([&](const NodeInfo& n) { return all.push_back(n), true; }).Ok());
    for (const auto& n : all) {
        auto content = (*db)->ReadNode(n.nid);
        ASSERT_TRUE(content.Ok());
        ASSERT_TRUE((*db)->WriteNode(n.nid, n.parent, *content).Ok());
    }
    ASSERT_TRUE((*db)->Commit().Ok());
    ASSERT_TRUE((*db)->Close().Ok());
}

class ReaderCompatTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!mapitest::SampleExists(GetParam()))
            GTEST_SKIP() << "sample not installed";
        m_original = mapitest::CopySample(m_dir, GetParam());
        std::filesystem::create_directory(m_dir / "rewritten");
        m_rewritten = m_dir / "rewritten" / GetParam();
        std::filesystem::copy_file(m_original, m_rewritten);
        RewriteEveryNode(m_rewritten);
    }
    mapitest::CTempDir m_dir;
    std::filesystem::path m_original, m_rewritten;
};

} // namespace

TEST_P(ReaderCompatTest, PffexportExportsTheSameItems)
{
    if (!Installed("pffexport"))
        GTEST_SKIP() << "pffexport not installed";
    auto exportOf = [&](const std::filesystem::path& file, const std::string& target) {
        const auto run = RunTool("pffexport -q -t " + Quoted(m_dir / target) + " " + Quoted(file));
        EXPECT_EQ(run.status, 0) << run.output;
        std::size_t files = 0;
        for (const auto& e : std::filesystem::recursive_directory_iterator(m_dir / (target + ".export")))
            files += e.is_regular_file() ? 1 : 0;
        return files;
    };
    const std::size_t before = exportOf(m_original, "before");
    const std::size_t after = exportOf(m_rewritten, "after");
    EXPECT_GT(before, 0u);
    EXPECT_EQ(after, before);
}

TEST_P(ReaderCompatTest, ReadpstReadsEveryFolder)
{
    if (!Installed("readpst"))
        GTEST_SKIP() << "readpst not installed";
    auto summary = [&](const std::filesystem::path& file, const std::string& target) {
        const auto run = RunReadpst(file, m_dir / target);
        EXPECT_EQ(run.status, 0) << run.output;
        // The lines that count items per folder, in a stable order.
        std::vector<std::string> lines;
        std::size_t at = 0;
        while ((at = run.output.find("items done", at)) != std::string::npos) {
            const std::size_t start = run.output.rfind('\n', at) + 1;
            lines.push_back(run.output.substr(start, run.output.find('\n', at) - start));
            ++at;
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    const auto before = summary(m_original, "readpst-before");
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(summary(m_rewritten, "readpst-after"), before);
}

INSTANTIATE_TEST_SUITE_P(Outlook, ReaderCompatTest, ::testing::Values("dist-list.pst", "passworded.pst"),
                         [](const auto& info) {
                             return info.param == "dist-list.pst" ? std::string("DistList") : std::string("Passworded");
                         });
