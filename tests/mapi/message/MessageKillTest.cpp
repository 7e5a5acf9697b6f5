// A writer of whole messages killed with SIGKILL at random moments: after
// each kill the file opens, passes the structure check, and holds every
// message whose Save had returned (and at most the one under way), with the
// folder's counts in step; readpst reads it too.
#include "../KillHarness.h"
#include "../ReaderTools.h"
#include "../TempDir.h"
#include "FilledStore.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/StructureCheck.h"
#include "mapi/Store.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

using namespace mapi;
using namespace mapitest;

namespace {

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
std::u16string SubjectOf(std::uint32_t n) { return Wide("Message " + std::to_string(n)); }

// Message n's body and attachment, the same in the writer and the checker.
std::u16string BodyOf(std::uint32_t n) { return std::u16string((n * 7919u) % 12'000u, static_cast<char16_t>(u'a' + n % 26)); }
Bytes AttachmentOf(std::uint32_t n) { return Bytes((n * 104'729u) % 60'000u + 1, static_cast<std::uint8_t>(n)); }
bool HasAttachment(std::uint32_t n) { return n % 3 == 0; }

// The child: adds messages after those the folder holds and reports each
// number through the pipe once its Save has returned.
[[noreturn]] void RunWriter(const std::filesystem::path& path, int out)
{
    auto store = CStore::Open(path);
    if (!store.Ok())
        _exit(2);
    auto folder = (*store)->GetIpmSubtree()->FindSubfolder(u"Inbox");
    if (!folder.Ok() || !*folder)
        _exit(3);
    for (auto n = static_cast<std::uint32_t>((*folder)->ListMessages()->size());; ++n) {
        CMessage m = (*folder)->CreateMessage();
        m.SetSubject(SubjectOf(n));
        m.SetBody(BodyOf(n));
        m.AddRecipient({MAPI_TO, u"Bob", u"bob@example.com", u"SMTP", {}});
        m.SetRead(n % 2 == 0);
        if (HasAttachment(n))
            m.AddAttachment(CAttachment::ByValue(u"part.bin", AttachmentOf(n)));
        if (!m.Save().Ok())
            _exit(4);
        if (write(out, &n, sizeof n) != sizeof n)
            _exit(5);
    }
}


// Kills a writer `rounds` times in a folder that holds `filled` small
// messages before it.
// Each writer runs until it has saved `firstSaves` messages and then a
// random while longer.
void KillWritersAndCheck(std::uint32_t filled, int rounds, std::size_t firstSaves, std::uint32_t seed)
{
    CTempDir dir;
    const auto path = dir / "killed.pst";
    if (filled > 0) {
        CreateFilledStore(path, filled);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        ASSERT_LE(InboxRowBlocks(path), 128u) << "the contents table starts below 128 row blocks";
    } else {
        auto store = CStore::Create(path, u"Killed");
        ASSERT_TRUE(store.Ok()) << store.Message();
        ASSERT_TRUE((*store)->GetIpmSubtree()->CreateSubfolder(u"Inbox").Ok());
    }
    std::mt19937 rng(seed);
    std::uint32_t saved = filled; // messages whose Save returned
    for (int round = 0; round < rounds; ++round) {
        const auto run = RunAndKill([&](int out) { RunWriter(path, out); }, firstSaves, rng() % 150'000);
        ASSERT_TRUE(run.killed) << "the writer stopped by itself with " << run.exitCode;
        for (std::uint32_t n : run.reported)
            saved = std::max(saved, n + 1);

        auto report = CheckStructure(path);
        ASSERT_TRUE(report.Ok()) << "round " << round << ": " << report.Message();
        auto store = CStore::Open(path, true);
        ASSERT_TRUE(store.Ok()) << store.Message();
        CFolder folder = **(*store)->GetIpmSubtree()->FindSubfolder(u"Inbox");
        auto list = folder.ListMessages();
        ASSERT_TRUE(list.Ok()) << list.Message();
        const auto held = static_cast<std::uint32_t>(list->size());
        ASSERT_TRUE(held == saved || held == saved + 1) << "round " << round << ": the file holds " << held
                                                        << " messages, " << saved << " saves returned";
        auto counts = folder.GetCounts();
        EXPECT_EQ(counts->contentCount, static_cast<std::int32_t>(held));
        EXPECT_EQ(counts->unreadCount, static_cast<std::int32_t>(held / 2));
        for (std::uint32_t i = 0; i < held; ++i) {
            ASSERT_EQ((*list)[i].subject, i < filled ? FilledSubjectOf(i) : SubjectOf(i)) << "round " << round;
            // The messages of this round in full; earlier rounds checked theirs.
            if (i + 40 < held || i < filled)
                continue;
            auto m = (*store)->OpenMessage((*list)[i].nid);
            ASSERT_TRUE(m.Ok()) << m.Message();
            EXPECT_EQ(m->GetBody(), BodyOf(i));
            ASSERT_EQ(m->GetAttachments().size(), HasAttachment(i) ? 1u : 0u) << i;
            if (HasAttachment(i)) {
                EXPECT_TRUE(m->GetAttachments()[0].GetData() == AttachmentOf(i)) << i;
            }
        }
        saved = held;
    }
    EXPECT_GE(saved, filled + rounds * firstSaves) << "the writer saved too little to test anything";
    EXPECT_GT(saved, filled + 40u) << "the writer saved too little to test anything";
    if (filled > 0) {
        EXPECT_GT(InboxRowBlocks(path), 128u) << "the saves carried the contents table past 128 row blocks";
    }

    if (!Installed("readpst"))
        return;
    const auto run = RunReadpst(path, dir / "readpst");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\"Inbox\" - " + std::to_string(saved) + " items done, 0 items skipped."), std::string::npos)
        << run.output;
}

} // namespace

TEST(MessageKillTest, EveryMessageWhoseSaveReturnedSurvivesSigkill) { KillWritersAndCheck(0, 20, 3, 2024); }

// A folder of 8,560 messages: the writer's saves carry the contents table
// past 128 row blocks, each save rewriting a large XBLOCK over them,
// and on, while it is killed again and again.
TEST(MessageKillTest, SavesThatGrowALargeContentsTableSurviveSigkill) { KillWritersAndCheck(8'560, 5, 10, 77); }

// A disk that fills up: the file cannot grow past a limit (RLIMIT_FSIZE
// stands in for a full disk), so a save that needs more fails, wherever its
// writes stand. The failed save leaves nothing, the next one that fits in
// the file works, and the file holds every message whose save returned.
TEST(MessageKillTest, ASaveOnAFullDiskFailsAndLeavesEverySavedMessage)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 8; ++round) {
        CTempDir dir;
        const auto path = dir / "full.pst";
        std::vector<std::u16string> subjects; // of the saves that returned
        bool failed = false;
        {
            auto store = CStore::Create(path, u"Full");
            ASSERT_TRUE(store.Ok()) << store.Message();
            auto inbox = (*store)->GetIpmSubtree()->CreateSubfolder(u"Inbox");
            ASSERT_TRUE(inbox.Ok()) << inbox.Message();

            rlimit old{};
            ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit limited = old;
            limited.rlim_cur = std::filesystem::file_size(path) + 300 * 1024 + rng() % (600 * 1024);
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
            for (std::uint32_t n = 0; n < 400 && !failed; ++n) {
                CMessage m = inbox->CreateMessage();
                m.SetSubject(SubjectOf(n));
                m.SetBody(BodyOf(n));
                if (HasAttachment(n))
                    m.AddAttachment(CAttachment::ByValue(u"part.bin", AttachmentOf(n)));
                failed = !m.Save().Ok();
                if (!failed)
                    subjects.push_back(SubjectOf(n));
            }
            // A small message may still fit in the file as it is.
            CMessage after = inbox->CreateMessage();
            after.SetSubject(u"after the failure");
            if (after.Save().Ok())
                subjects.push_back(u"after the failure");
            // The store that failed reads what the file holds, not what the
            // failed save had written before it went back.
            auto own = inbox->ListMessages();
            ASSERT_TRUE(own.Ok()) << own.Message();
            ASSERT_EQ(own->size(), subjects.size()) << "round " << round;
            // The folder's counts too: the failed save had counted its message.
            auto counts = inbox->GetCounts();
            ASSERT_TRUE(counts.Ok()) << counts.Message();
            EXPECT_EQ(counts->contentCount, static_cast<std::int32_t>(subjects.size())) << "round " << round;
            EXPECT_EQ(counts->unreadCount, static_cast<std::int32_t>(subjects.size())) << "round " << round;
            for (std::size_t i = 0; i < subjects.size(); ++i)
                EXPECT_EQ((*own)[i].subject, subjects[i]) << "round " << round;
            (void)(*store)->Close();
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        }
        ASSERT_TRUE(failed) << "round " << round << ": the limit was never reached";
        EXPECT_GT(subjects.size(), 5u);
        auto report = CheckStructure(path);
        ASSERT_TRUE(report.Ok()) << "round " << round << ": " << report.Message();
        auto store = CStore::Open(path, true);
        ASSERT_TRUE(store.Ok()) << store.Message();
        auto list = (**(*store)->GetIpmSubtree()->FindSubfolder(u"Inbox")).ListMessages();
        ASSERT_TRUE(list.Ok()) << list.Message();
        ASSERT_EQ(list->size(), subjects.size()) << "round " << round;
        for (std::size_t i = 0; i < subjects.size(); ++i) {
            EXPECT_EQ((*list)[i].subject, subjects[i]) << "round " << round;
            auto m = (*store)->OpenMessage((*list)[i].nid);
            ASSERT_TRUE(m.Ok()) << m.Message();
            if (i + 1 < subjects.size() || subjects[i] != u"after the failure") {
                EXPECT_EQ(m->GetBody(), BodyOf(static_cast<std::uint32_t>(i))) << "round " << round;
            }
        }
    }
}
