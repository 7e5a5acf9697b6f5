// A power failure as far as it can be played back here: the writes and
// flushes of a run of saves are recorded through the store's file observer,
// then cut at random flushes, each write after the cut kept or dropped at
// random (the disk may have taken any of them). Every such file passes the
// structure check, opens in our reader, readpst and pffexport, and holds
// every message whose Save had returned but at most the last one.
#include "../ReaderTools.h"
#include "../TempDir.h"
#include "FilledStore.h"
#include "PstFile.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/StructureCheck.h"
#include "mapi/Store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

using namespace mapi;
using namespace mapitest;

namespace {

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
std::u16string SubjectOf(std::uint32_t n) { return Wide("Saved " + std::to_string(n)); }
// Bodies from a few hundred bytes to several blocks, so that some messages
// need XBLOCKs and the contents table grows past its first blocks.
std::u16string BodyOf(std::uint32_t n) { return std::u16string((n * 5011u) % 14'000u + 100, static_cast<char16_t>(u'a' + n % 26)); }
Bytes AttachmentOf(std::uint32_t n) { return Bytes((n * 7717u) % 30'000u + 1, static_cast<std::uint8_t>(n * 3)); }
bool HasAttachment(std::uint32_t n) { return n % 4 == 1; }

struct FileEvent {
    enum Kind { Write, Resize, Sync } kind;
    std::uint64_t at = 0; // offset of a write, size of a resize
    std::vector<std::uint8_t> bytes;
};

class CRecorder : public ndb::IFileObserver {
public:
    std::vector<FileEvent> events;
    void Wrote(std::uint64_t ib, const std::vector<std::uint8_t>& bytes) override
    {
        events.push_back({FileEvent::Write, ib, bytes});
    }
    void Resized(std::uint64_t size) override { events.push_back({FileEvent::Resize, size, {}}); }
    void Synced() override { events.push_back({FileEvent::Sync, 0, {}}); }
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Apply(std::vector<std::uint8_t>& image, const FileEvent& e)
{
    if (e.kind == FileEvent::Resize) {
        image.resize(e.at);
    } else if (e.kind == FileEvent::Write) {
        if (image.size() < e.at + e.bytes.size())
            image.resize(e.at + e.bytes.size());
        std::copy(e.bytes.begin(), e.bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(e.at));
    }
}

// What a recording starts from and how it is cut.
struct Recording {
    std::uint32_t reopenAfter = 0; // close and open again after this many saves
    std::uint32_t seed = 0;
    std::uint32_t filled = 0;      // small messages the store holds before
    std::uint32_t saves = 36;
    int rounds = 30;
};

// Checks a file left by a cut: the messages that filled the store and the
// first `held` saved ones in full, with `held` one of `returned` and
// `returned - 1`; returns `held`.
std::uint32_t CheckCutFile(const std::filesystem::path& path, std::uint32_t filled, std::uint32_t returned,
                           const std::string& cut)
{
    auto report = CheckStructure(path);
    EXPECT_TRUE(report.Ok()) << cut << ": " << report.Message();
    auto store = CStore::Open(path, true);
    EXPECT_TRUE(store.Ok()) << cut << ": " << store.Message();
    if (!store.Ok())
        return 0;
    auto inbox = (*store)->GetIpmSubtree()->FindSubfolder(u"Inbox");
    EXPECT_TRUE(inbox.Ok() && *inbox) << cut;
    if (!inbox.Ok() || !*inbox)
        return 0;
    auto list = (*inbox)->ListMessages();
    EXPECT_TRUE(list.Ok()) << cut << ": " << list.Message();
    if (!list.Ok())
        return 0;
    EXPECT_GE(list->size(), filled) << cut;
    if (list->size() < filled)
        return 0;
    const auto held = static_cast<std::uint32_t>(list->size() - filled);
    EXPECT_TRUE(held == returned || held + 1 == returned)
        << cut << ": the file holds " << held << " messages, " << returned << " saves had returned";
    auto counts = (*inbox)->GetCounts();
    EXPECT_TRUE(counts.Ok()) << cut << ": " << counts.Message();
    if (counts.Ok()) {
        EXPECT_EQ(counts->contentCount, static_cast<std::int32_t>(filled + held)) << cut;
    }
    for (std::uint32_t i = 0; i < filled; ++i)
        EXPECT_EQ((*list)[i].subject, FilledSubjectOf(i)) << cut;
    for (std::uint32_t i = 0; i < held; ++i) {
        EXPECT_EQ((*list)[filled + i].subject, SubjectOf(i)) << cut;
        auto m = (*store)->OpenMessage((*list)[filled + i].nid);
        EXPECT_TRUE(m.Ok()) << cut << ": " << m.Message();
        if (!m.Ok())
            continue;
        EXPECT_EQ(m->GetBody(), BodyOf(i)) << cut << ", message " << i;
        EXPECT_EQ(m->GetAttachments().size(), HasAttachment(i) ? 1u : 0u) << cut << ", message " << i;
        if (HasAttachment(i) && !m->GetAttachments().empty()) {
            EXPECT_TRUE(m->GetAttachments()[0].GetData() == AttachmentOf(i)) << cut << ", message " << i;
        }
    }
    return held;
}

// Records a run of saves (closed and opened again after `reopenAfter` of
// them, unless 0) and checks files cut at random flushes of it.
void RecordAndCutAtRandomFlushes(const Recording& run)
{
    const std::uint32_t reopenAfter = run.reopenAfter;
    CTempDir dir;
    const auto path = dir / "recorded.pst";
    if (run.filled > 0) {
        CreateFilledStore(path, run.filled);
    } else {
        auto store = CStore::Create(path, u"Recorded");
        ASSERT_TRUE(store.Ok()) << store.Message();
        ASSERT_TRUE((*store)->GetIpmSubtree()->CreateSubfolder(u"Inbox").Ok());
        ASSERT_TRUE((*store)->Close().Ok());
    }
    if (::testing::Test::HasFatalFailure())
        return;
    // A closed store is on the disk whole: the recording starts from it.
    if (run.filled > 0) {
        ASSERT_LE(InboxRowBlocks(path), 128u) << "the contents table starts below 128 row blocks";
    }
    const auto start = ReadBytes(path);
    ASSERT_FALSE(start.empty());

    const std::uint32_t kSaves = run.saves;
    CRecorder recorder;
    std::vector<std::size_t> returnedAt; // events recorded when Save i returned
    for (std::uint32_t first = 0; first < kSaves;) {
        const std::uint32_t end = reopenAfter != 0 && first < reopenAfter ? reopenAfter : kSaves;
        auto store = CStore::Open(path);
        ASSERT_TRUE(store.Ok()) << store.Message();
        CFolder inbox = **(*store)->GetIpmSubtree()->FindSubfolder(u"Inbox");
        ndb::SetFileObserver(&recorder);
        for (std::uint32_t n = first; n < end; ++n) {
            CMessage m = inbox.CreateMessage();
            m.SetSubject(SubjectOf(n));
            m.SetBody(BodyOf(n));
            m.AddRecipient({MAPI_TO, u"Bob", u"bob@example.com", u"SMTP", {}});
            if (HasAttachment(n))
                m.AddAttachment(CAttachment::ByValue(u"part.bin", AttachmentOf(n)));
            auto saved = m.Save();
            if (!saved.Ok()) {
                ndb::SetFileObserver(nullptr);
                FAIL() << "message " << n << ": " << saved.Message();
            }
            returnedAt.push_back(recorder.events.size());
        }
        auto closed = (*store)->Close();
        ndb::SetFileObserver(nullptr);
        ASSERT_TRUE(closed.Ok()) << closed.Message();
        first = end;
    }

    if (run.filled > 0) {
        EXPECT_GT(InboxRowBlocks(path), 128u) << "the saves carried the contents table past 128 row blocks";
    }
    std::vector<std::size_t> syncs;
    for (std::size_t i = 0; i < recorder.events.size(); ++i)
        if (recorder.events[i].kind == FileEvent::Sync)
            syncs.push_back(i);
    // One flush per save, and the two of each close.
    EXPECT_LE(syncs.size(), kSaves + (reopenAfter != 0 ? 4 : 2));
    EXPECT_GE(syncs.size(), kSaves);

    std::mt19937 rng(run.seed);
    const bool readers = Installed("readpst") && Installed("pffexport");
    std::uint32_t sawShort = 0, sawWhole = 0, sawGrown = 0;
    for (int round = 0; round < run.rounds; ++round) {
        // Power fails after flush `cut` (-1: before the first) has returned
        // and before the next one has.
        const int cut = static_cast<int>(rng() % (syncs.size() + 1)) - 1;
        const std::size_t from = cut < 0 ? 0 : syncs[static_cast<std::size_t>(cut)] + 1;
        const std::size_t to = static_cast<std::size_t>(cut + 1) < syncs.size() ? syncs[static_cast<std::size_t>(cut + 1)]
                                                                                 : recorder.events.size();
        auto image = start;
        for (std::size_t i = 0; i < from; ++i)
            Apply(image, recorder.events[i]);
        for (std::size_t i = from; i < to; ++i)
            if (rng() % 2 == 0)
                Apply(image, recorder.events[i]);
        std::uint32_t returned = 0;
        while (returned < kSaves && returnedAt[returned] <= to)
            ++returned;

        const auto cutPath = dir / ("cut-" + std::to_string(round) + ".pst");
        {
            std::ofstream out(cutPath, std::ios::binary);
            out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        }
        const std::string name = "cut after flush " + std::to_string(cut) + " (round " + std::to_string(round) + ")";
        const std::uint32_t held = CheckCutFile(cutPath, run.filled, returned, name);
        (held == returned ? sawWhole : sawShort) += 1;
        if (run.filled > 0)
            sawGrown += InboxRowBlocks(cutPath) > 128 ? 1 : 0;
        if (readers) {
            const auto readpst = RunReadpst(cutPath, dir / ("readpst-" + std::to_string(round)));
            EXPECT_EQ(readpst.status, 0) << name << ": " << readpst.output;
            if (run.filled + held > 0) {
                EXPECT_NE(readpst.output.find("\"Inbox\" - " + std::to_string(run.filled + held) +
                                              " items done, 0 items skipped."),
                          std::string::npos)
                    << name << ": " << readpst.output;
            }
            // pffexport writes out every message: a file of thousands is
            // read whole once, below.
            if (run.filled == 0) {
                const auto pff = RunTool("pffexport -q -t " + Quoted(dir / ("pff-" + std::to_string(round))) + " " +
                                         Quoted(cutPath));
                EXPECT_EQ(pff.status, 0) << name << ": " << pff.output;
            }
            std::filesystem::remove_all(dir / ("readpst-" + std::to_string(round)));
        }
        std::filesystem::remove(cutPath);
    }
    // The rounds must have met both outcomes of a lost last header.
    EXPECT_GT(sawShort, 0u);
    EXPECT_GT(sawWhole, 0u);
    if (run.filled > 0) {
        EXPECT_GT(sawGrown, 0u) << "no cut fell after the table outgrew its first XBLOCK";
        // The store as the run closed it, its table past the first XBLOCK:
        // both readers read every message.
        if (readers) {
            const auto readpst = RunReadpst(path, dir / "readpst-closed");
            EXPECT_NE(readpst.output.find("\"Inbox\" - " + std::to_string(run.filled + kSaves) +
                                          " items done, 0 items skipped."),
                      std::string::npos)
                << readpst.output;
            const auto pff = RunTool("pffexport -q -t " + Quoted(dir / "pff-closed") + " " + Quoted(path));
            EXPECT_EQ(pff.status, 0) << pff.output;
            std::size_t exported = 0;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(dir / "pff-closed.export"))
                exported += entry.is_directory() && entry.path().filename().string().rfind("Message", 0) == 0 ? 1 : 0;
            EXPECT_EQ(exported, run.filled + kSaves);
        }
    }
}

} // namespace

TEST(PowerFailureTest, EveryCutAtAFlushLeavesAWholeStoreWithAllButTheLastSave)
{
    RecordAndCutAtRandomFlushes({.reopenAfter = 0, .seed = 1917});
}

// The space a store held for its next saves is given back at the close; the
// store opened again takes its runs anew, in space the saves before freed.
TEST(PowerFailureTest, ACloseAndReopenBetweenSavesKeepsEveryCutWhole)
{
    RecordAndCutAtRandomFlushes({.reopenAfter = 17, .seed = 2024});
}

// A folder of 8,560 messages whose saves carry its contents table past 128
// row blocks, each save rewriting a large XBLOCK over them:
// every cut on the way is whole too.
TEST(PowerFailureTest, CutsWhileALargeContentsTableGrowsLeaveWholeStores)
{
    RecordAndCutAtRandomFlushes({.reopenAfter = 0, .seed = 77, .filled = 8560, .saves = 40, .rounds = 5});
}
