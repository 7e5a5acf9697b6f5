// Cost of a whole mail conversion: a synthetic mailbox converted by the real
// converter, step 6 opened as step 5 opens it, every view folder but ($All)
// ticked so that each message is written once. Nothing waits for a person:
// the free space is pinned high and any message box is answered. A plain
// timer; each figure is printed beside its limit, nothing is asserted.
//
//   mail_conversion_benchmark [MESSAGES...]   (default 10000 100000)
//   mail_conversion_benchmark --one-folder [MESSAGES]   (default 50000)
//       every message in one folder (the Inbox): the cost per message over
//       the thousand up to 5,000 and up to the last
//
// The disk's own time is measured in the same run: the PST's bytes written
// with one fdatasync per message-sized chunk, as the store's durability
// needs at least that.
//
// Each size runs in processes of its own: one builds the database, one
// converts it, so that the peak memory is the conversion's alone. One
// message in ten carries a 16 KiB attachment, which the conversion detaches
// into the install folder's Attachment folder and reads back.
#include "BenchmarkHarness.h"
#include "benchsupport/DiskLimit.h"

#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "notes/Notes.h"
#include "nsfbuild/Synthetic.h"
#include "win32/CodePage.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using bench::Fail;

constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\bench.nsf";
constexpr const char16_t* kPstPath = u"C:\\Data\\bench.pst";
constexpr double kLimitPerSecond = 1000;

constexpr double kLimitTimeAgainstDisk = 2;
constexpr double kLimitSyncsPerMessage = 1;
constexpr double kLimitCpuMs = 0.5;
constexpr double kLimitDiskBytesPerPstByte = 4;
constexpr double kLimitGrowth = 1.2;
// The folder the synthetic mailbox fills most when it has no user folders.
constexpr double kInboxShare = 0.68;

// The folders step 3 would list for the database: every view or folder not
// hidden, and the system folders by their PST names; ($All) is left out, and
// with onlyInbox all but the Inbox. Returns the number of documents they hold.
std::size_t TickFolders(bool onlyInbox)
{
    LNNotesSession session;
    LNDatabase database;
    LNViewFolderArray folders;
    if (session.Initialize(700) || session.GetDatabase(WideToAnsi(kNsfPath), &database) || database.Open() ||
        database.GetViewFolders(&folders))
        Fail("cannot read the built database");
    const std::pair<std::string, std::u16string> systemFolders[] = {
        {"($Inbox)", u"Inbox"}, {"($Sent)", u"Sent"}, {"($Drafts)", u"Drafts"}, {"($Trash)", u"Trash"}};
    std::size_t documents = 0;
    g_nSelFolderCount = 0;
    for (LNINT k = 0; k < folders.GetCount(); ++k) {
        LNViewFolder folder = folders[k];
        folder.Open();
        const std::string name = folder.GetName().Text();
        std::u16string treePath;
        for (const auto& [notesName, pstName] : systemFolders) {
            if (name == notesName)
                treePath = pstName;
        }
        if (treePath.empty() && !name.empty() && name[0] != '(')
            treePath = AnsiToWide(name);
        if (treePath.empty() || (onlyInbox && treePath != u"Inbox"))
            continue;
        AppendStringNode(&g_pSelFolderList, (u"Lotus Notes\\" + treePath + u"\\").c_str());
        ++g_nSelFolderCount;
        documents += static_cast<std::size_t>(folder.GetEntryCount());
    }
    database.Close();
    session.Term();
    return documents;
}

void Line(const char* what, double value, const char* unit, const char* limit = "", bool met = true)
{
    if (*limit == 0)
        std::printf("    %-52s %10.3f %s\n", what, value, unit);
    else
        std::printf("    %-52s %10.3f %-7s limit %-8s %s\n", what, value, unit, limit, met ? "met" : "NOT MET");
}

void PrintFigures(std::size_t documents, const bench::RunFigures& run)
{
    const double n = static_cast<double>(documents);
    const double pst = static_cast<double>(run.pstBytes);
    const auto scratch = win32::ResolvePath(u"C:\\Data", win32::Resolve::Existing)->hostPath / "disk-limit";
    const benchsupport::DiskRun disk = benchsupport::DiskLimit(scratch, run.pstBytes, documents);
    std::printf("    %zu documents in %.1f s, PST %.1f MiB, peak memory %ld MiB (%ld before the run): %s\n", documents,
                run.seconds, run.pstMiB, run.peakKiB / 1024, run.peakBeforeKiB / 1024,
                Utf16ToUtf8(run.result).c_str());
    std::printf("    the disk alone, the PST's bytes with one fdatasync per message-sized chunk: %.2f s (%.0f chunks/s)\n",
                disk.seconds, n / disk.seconds);
    Line("messages per second", n / run.seconds, "", ">= 1000", n / run.seconds >= kLimitPerSecond);
    Line("time against the disk's for the same bytes and syncs", run.seconds / disk.seconds, "times", "<= 2",
         run.seconds / disk.seconds <= kLimitTimeAgainstDisk);
    const double syncs = static_cast<double>(run.storeSyncs + run.otherSyncs) / n;
    Line("fdatasync per message, every flush of the process", syncs, "", "<= 1", syncs <= kLimitSyncsPerMessage);
    Line("  of them the store's", static_cast<double>(run.storeSyncs) / n, "", "<= 1",
         static_cast<double>(run.storeSyncs) / n <= kLimitSyncsPerMessage);
    // The decoding of "$MIME" parts flushes each decoded file itself.
    Line("  of them FlushFileBuffers and the registry's, in all", static_cast<double>(run.otherSyncs), "");
    const double cpuMs = run.cpuSeconds * 1e3 / n;
    Line("CPU per message, user and system, every thread", cpuMs, "ms", "<= 0.5", cpuMs <= kLimitCpuMs);
    Line("  of it user", run.userSeconds * 1e3 / n, "ms");
    Line("  of it the GUI thread's (the progress dialog)", run.guiThreadSeconds * 1e3 / n, "ms");
    Line("  of it the converting thread's (the store's saves too)", run.converterThreadSeconds * 1e3 / n, "ms");
    Line("  of it the disk's own (its sync and write)", disk.cpu * 1e3 / n, "ms");
    Line("disk bytes written (pages dirtied) / PST size", static_cast<double>(run.diskBytesWritten) / pst, "times",
         "<= 4", static_cast<double>(run.diskBytesWritten) / pst <= kLimitDiskBytesPerPstByte);
    Line("  net of files emptied or deleted before the disk saw them",
         static_cast<double>(run.diskBytesWritten - std::min(run.diskBytesWritten, run.diskBytesCancelled)) / pst,
         "times");
    Line("  bytes the store handed to its file / PST size", static_cast<double>(run.storeBytes) / pst, "times");
}

void Convert(std::size_t messages, int bodyFormat)
{
    std::size_t documents = TickFolders(false);
    g_nMailBodyFormat = bodyFormat;
    const bench::RunFigures run = bench::RunConversion(1, kNsfPath, kPstPath, u"Mail");
    std::printf("%9zu %s messages, every folder but ($All):\n", messages, bodyFormat ? "TXT" : "RTF");
    PrintFigures(documents, run);
}

// Every message of the Inbox, which holds `messages` or a few more: the cost
// per message at the start of the folder and at its end.
void ConvertOneFolder(std::size_t messages, int bodyFormat)
{
    const std::size_t documents = TickFolders(true);
    if (documents < messages)
        Fail("the Inbox holds fewer messages than asked for");
    g_nMailBodyFormat = bodyFormat;
    const std::size_t early = std::min<std::size_t>(5000, messages);
    const bench::RunFigures run = bench::RunConversion(1, kNsfPath, kPstPath, u"Mail", {early, messages});
    std::printf("%9zu %s messages in one folder:\n", documents, bodyFormat ? "TXT" : "RTF");
    PrintFigures(documents, run);
    for (const bench::WindowFigures& window : run.windows)
        std::printf("    the %zu messages up to %zu: %.0f messages/s, CPU %.3f ms each\n", window.items, window.end,
                    static_cast<double>(window.items) / window.seconds,
                    window.cpuSeconds * 1e3 / static_cast<double>(window.items));
    if (run.windows.size() == 2 && run.windows[0].end < run.windows[1].end) {
        const bench::WindowFigures& first = run.windows[0];
        const bench::WindowFigures& last = run.windows[1];
        const double wall = (last.seconds / last.items) / (first.seconds / first.items);
        const double cpu = (last.cpuSeconds / last.items) / (first.cpuSeconds / first.items);
        char what[96];
        std::snprintf(what, sizeof what, "time per message at %zu / at %zu", last.end, first.end);
        Line(what, wall, "times", "<= 1.2", wall <= kLimitGrowth);
        std::snprintf(what, sizeof what, "CPU per message at %zu / at %zu", last.end, first.end);
        Line(what, cpu, "times", "<= 1.2", cpu <= kLimitGrowth);
    }
}

void Measure(std::size_t messages, int bodyFormat, bool oneFolder)
{
    auto build = [&](const fs::path& mailFolder) {
        nsfbuild::MailboxOptions options;
        // Without user folders most messages go to the Inbox; enough are
        // built that it holds the number asked for.
        options.messages = oneFolder ? static_cast<std::size_t>(static_cast<double>(messages) / kInboxShare) + 200
                                     : messages;
        options.folders = oneFolder ? 0 : 20;
        options.attachmentEvery = 10;
        options.attachmentBytes = 16 * 1024;
        if (auto result = nsfbuild::BuildSyntheticMailbox(mailFolder / "bench.nsf", options); !result)
            Fail(result.message);
    };
    bench::MeasureInMachine(messages, "messages", build, [&] {
        if (oneFolder)
            ConvertOneFolder(messages, bodyFormat);
        else
            Convert(messages, bodyFormat);
    });
}

} // namespace

int main(int argc, char** argv)
{
    bench::SetUpBenchmarkProcess();
    int bodyFormat = 1;
    bool oneFolder = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rtf") == 0)
            bodyFormat = 0;
        else if (std::strcmp(argv[i], "--one-folder") == 0)
            oneFolder = true;
    }
    const std::vector<std::size_t> fallback = oneFolder ? std::vector<std::size_t>{50000}
                                                        : std::vector<std::size_t>{10000, 100000};
    for (std::size_t messages : bench::SizesFromArguments(argc, argv, fallback))
        Measure(messages, bodyFormat, oneFolder);
    return 0;
}
