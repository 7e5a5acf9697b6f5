// A writer killed with SIGKILL at random moments: afterwards the file opens,
// passes the check and holds exactly the state of the last commit that
// returned (or of the one under way, had its header reached the disk).
#include "KillHarness.h"
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"
#include "mapi/ndb/ByteIo.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

using namespace mapi;

namespace {

constexpr Nid kCounterNid = SpecialNid::MessageStore;

Nid NodeNid(std::uint32_t n) { return MakeNid(NidType::NormalMessage, 0x10001 + n); }

NodeContent ContentFor(std::uint32_t n, std::uint32_t version)
{
    std::mt19937 rng(n * 7919 + version);
    NodeContent c;
    const std::size_t size = rng() % 8 == 0 ? 8176 * 2 + rng() % 5000 : 20 + rng() % 3000;
    for (std::size_t done = 0; done < size; done += 8176) {
        Bytes b(std::min<std::size_t>(8176, size - done));
        for (auto& x : b)
            x = static_cast<std::uint8_t>(rng());
        c.blocks.push_back(std::move(b));
    }
    if (rng() % 4 == 0)
        c.subnodes[0x1F] = NodeContent{{Bytes(100 + rng() % 500, static_cast<std::uint8_t>(version))}, {}};
    return c;
}

NodeContent CounterContent(std::uint32_t commit)
{
    Bytes b(4);
    ndb::Write32(b, 0, commit);
    return NodeContent{{b}, {}};
}

// What commit number c does: three new nodes, one replaced, every fifth
// commit one deleted.
struct Step {
    std::vector<std::pair<Nid, NodeContent>> writes;
    std::vector<Nid> deletes;
};

Step StepOf(std::uint32_t c)
{
    Step s;
    for (std::uint32_t k = 0; k < 3; ++k)
        s.writes.emplace_back(NodeNid(3 * c + k), ContentFor(3 * c + k, 0));
    if (c > 0) {
        const std::uint32_t n = (c * 7) % (3 * c);
        s.writes.emplace_back(NodeNid(n), ContentFor(n, c));
        if (c % 5 == 0)
            s.deletes.push_back(NodeNid((c * 11 + 1) % (3 * c)));
    }
    s.writes.emplace_back(kCounterNid, CounterContent(c + 1));
    return s;
}

std::map<Nid, NodeContent> Replay(std::uint32_t commits)
{
    std::map<Nid, NodeContent> state;
    for (std::uint32_t c = 0; c < commits; ++c) {
        Step s = StepOf(c);
        for (auto& [nid, content] : s.writes)
            state[nid] = std::move(content);
        for (Nid nid : s.deletes)
            state.erase(nid);
    }
    return state;
}

std::uint32_t CommittedCount(CNodeDatabase& db)
{
    auto c = db.ReadNode(kCounterNid);
    if (!c.Ok())
        return 0;
    return ndb::Read32(c->blocks.at(0), 0);
}

// The child: continues the schedule from what the file holds and reports
// each commit number through the pipe once Commit has returned.
[[noreturn]] void RunWriter(const std::filesystem::path& path, int out)
{
    auto db = CNodeDatabase::Open(path);
    if (!db.Ok())
        _exit(2);
    for (std::uint32_t c = CommittedCount(**db);; ++c) {
        Step s = StepOf(c);
        for (const auto& [nid, content] : s.writes)
            if (!(*db)->WriteNode(nid, 0x8062, content).Ok())
                _exit(3);
        for (Nid nid : s.deletes)
            (void)(*db)->DeleteNode(nid);
        if (!(*db)->Commit().Ok())
            _exit(4);
        const std::uint32_t done = c + 1;
        if (write(out, &done, sizeof done) != sizeof done)
            _exit(5);
    }
}

} // namespace

TEST(KillTest, EveryReturnedCommitSurvivesSigkill)
{
    mapitest::CTempDir dir;
    const auto path = dir / "killed.pst";
    {
        auto db = CNodeDatabase::Create(path);
        ASSERT_TRUE(db.Ok());
    }
    std::mt19937 rng(99);
    std::uint32_t reported = 0;
    for (int round = 0; round < 20; ++round) {
        const auto run = mapitest::RunAndKill([&](int out) { RunWriter(path, out); }, 1, 20000 + rng() % 150000);
        ASSERT_TRUE(run.killed) << "the writer stopped by itself with " << run.exitCode;
        for (std::uint32_t value : run.reported)
            reported = std::max(reported, value);

        auto report = CheckStructure(path);
        ASSERT_TRUE(report.Ok()) << "round " << round << ": " << report.Message();
        auto db = CNodeDatabase::Open(path, true);
        ASSERT_TRUE(db.Ok()) << db.Message();
        const std::uint32_t committed = CommittedCount(**db);
        ASSERT_TRUE(committed == reported || committed == reported + 1)
            << "file holds commit " << committed << ", the writer reported " << reported;
        const auto expected = Replay(committed);
        std::size_t nodes = 0;
        ASSERT_TRUE((*db)->ForEachNode([&](const NodeInfo&) { return ++nodes, true; }).Ok());
        EXPECT_EQ(nodes, expected.size());
        for (const auto& [nid, content] : expected) {
            auto read = (*db)->ReadNode(nid);
            ASSERT_TRUE(read.Ok()) << read.Message();
            ASSERT_EQ(*read, content) << "round " << round << " node " << std::hex << nid;
        }
        reported = committed;
    }
    EXPECT_GT(reported, 10u) << "the writer committed too little to test anything";
}
