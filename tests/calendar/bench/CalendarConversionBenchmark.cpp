// Cost of a whole calendar conversion: a synthetic calendar of every entry
// type converted by the real converter, step 6 opened as step 5 opens it.
// The converter's fixed pauses (two of a second, then three of two seconds
// per entry) run on a virtual clock and are reported apart, so that the
// figures are those of the conversion's own work. A plain timer; the
// figures are printed, nothing is asserted.
//
//   calendar_conversion_benchmark [--earlier-attachments=N] [ENTRIES...]   (default 10000)
//
// --earlier-attachments=N leaves N files in the attachment folder before the
// run, as earlier runs leave it: the calendar never empties that folder, and
// every new attachment name is looked up among its files.
//
// Each size runs in processes of its own: one builds the database, one
// converts it, so that the peak memory is the conversion's alone.
//
// Where an entry's time goes: the store's flushes against the items the
// converter saved (one flush per save means no save of its own), the time
// from a save's first write to its flush, the flushes alone, the CPU of the
// converting thread and of the dialog's thread.
#include "BenchmarkHarness.h"

#include "CalendarConverter.h"
#include "Converters.h"
#include "PstFile.h"
#include "mapi/Folder.h"
#include "mapi/Profile.h"
#include "mapi/Store.h"
#include "nsfbuild/Synthetic.h"
#include "win32/Clock.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <pthread.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\calendar.nsf";
constexpr const char16_t* kPstPath = u"C:\\Data\\calendar.pst";
constexpr const char16_t* kFolderName = u"Calendar";
constexpr double kLimitPerSecond = 1000;
constexpr std::string_view kEarlierAttachmentsOption = "--earlier-attachments=";

std::size_t g_earlierAttachments = 0;

void ReadOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with(kEarlierAttachmentsOption))
            g_earlierAttachments = std::strtoull(argv[i] + kEarlierAttachmentsOption.size(), nullptr, 10);
    }
}

// Files of earlier runs: names that no entry of the synthetic calendar takes.
void LeaveEarlierAttachments(const fs::path& folder, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        std::FILE* file = std::fopen((folder / ("earlier-run-" + std::to_string(i) + ".pdf")).c_str(), "wb");
        if (!file)
            bench::Fail("cannot fill the attachment folder");
        std::fputs("%PDF-1.4\n", file);
        std::fclose(file);
    }
}

double ThreadCpuSeconds()
{
    timespec used = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Times the store's saves from the file's side, on the converting thread:
// a save writes its blocks, flushes once, then writes the header. What the
// store computes before its first write is not in these figures.
class CSaveTimer : public mapi::ndb::IFileObserver {
public:
    std::atomic<std::uint64_t> syncs{0};
    double writeAndSyncSeconds = 0;
    double syncSeconds = 0;
    double writeAndSyncCpuSeconds = 0;

    void Wrote(std::uint64_t, const std::vector<std::uint8_t>&) override
    {
        m_lastWrite = Clock::now();
        if (m_afterSync) {
            m_afterSync = false; // the header that makes the save current
            return;
        }
        if (!m_inSave) {
            m_inSave = true;
            m_saveStart = m_lastWrite;
            m_saveCpuStart = ThreadCpuSeconds();
        }
    }
    void Resized(std::uint64_t) override {}
    void Synced() override
    {
        ++syncs;
        syncSeconds += Since(m_lastWrite);
        if (m_inSave) {
            writeAndSyncSeconds += Since(m_saveStart);
            writeAndSyncCpuSeconds += ThreadCpuSeconds() - m_saveCpuStart;
        }
        m_inSave = false;
        m_afterSync = true;
    }

private:
    bool m_inSave = false;
    bool m_afterSync = false;
    Clock::time_point m_saveStart;
    Clock::time_point m_lastWrite;
    double m_saveCpuStart = 0;
};

CSaveTimer g_saves;
// The converting thread's clock: the run is measured while its completion
// dialog is still up, on that thread.
std::atomic<clockid_t> g_converterClock{0};
std::atomic<bool> g_converterClockKnown{false};

// The real converter, with the store watched from its first call on.
void WatchedCalendarConversion(CProDlg& dialog)
{
    mapi::ndb::SetFileObserver(&g_saves);
    clockid_t clock = 0;
    if (pthread_getcpuclockid(pthread_self(), &clock) == 0) {
        g_converterClock = clock;
        g_converterClockKnown = true;
    }
    RunCalendarConversion(dialog);
}

double ConverterCpuSeconds()
{
    timespec used = {};
    if (!g_converterClockKnown || clock_gettime(g_converterClock, &used) != 0)
        return 0;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// The items the converter saved: the calendar folder's own count.
long SavedItems()
{
    const auto resolved = win32::ResolvePath(kPstPath, win32::Resolve::Existing);
    if (!resolved)
        return -1;
    auto store = mapi::CMailProfile::Default().FindStore(resolved->hostPath);
    if (!store)
        return -1;
    auto root = store->GetIpmSubtree();
    if (!root.Ok())
        return -1;
    auto folder = root.Value().FindSubfolder(kFolderName);
    if (!folder.Ok() || !folder.Value())
        return -1;
    auto counts = folder.Value()->GetCounts();
    return counts.Ok() ? counts.Value().contentCount : -1;
}

void Measure(std::size_t entries)
{
    auto build = [&](const fs::path& mailFolder) {
        // mailFolder is drive_c\Notes\Data\mail; the converter detaches
        // attachments into the install folder's Attachment folder.
        const fs::path driveC = mailFolder.parent_path().parent_path().parent_path();
        const fs::path attachments = driveC / "Program Files" / "Pellinor" / "Attachment";
        fs::create_directories(attachments);
        LeaveEarlierAttachments(attachments, g_earlierAttachments);
        nsfbuild::CalendarOptions options;
        options.entries = entries;
        if (auto result = nsfbuild::BuildSyntheticCalendar(mailFolder / "calendar.nsf", options); !result)
            bench::Fail(result.message);
    };
    auto convert = [&] {
        InstallConverter(3, &WatchedCalendarConversion);
        auto clock = std::make_shared<win32::VirtualClock>(std::chrono::system_clock::now());
        win32::SetClock(clock);
        const bench::RunFigures run = bench::RunConversion(3, kNsfPath, kPstPath, kFolderName);
        const double pauses = std::chrono::duration<double>(clock->SinceStart()).count();
        const double n = static_cast<double>(entries);
        const double perEntryMs = 1000 / n;
        std::printf("%9zu entries %8.1f s %9.1f entries/s (limit at least %.0f) %8.2f ms/entry  peak %7ld MiB (%ld before)  PST %7.1f MiB  "
                    "pauses %.0f s  %s\n"
                    "          attachment folder: %zu files of earlier runs before the run\n",
                    entries, run.seconds, n / run.seconds, kLimitPerSecond, run.seconds * perEntryMs,
                    run.peakKiB / 1024, run.peakBeforeKiB / 1024, run.pstMiB, pauses, Utf16ToUtf8(run.result).c_str(),
                    g_earlierAttachments);
        std::printf("          store: %.3f flushes/entry for %.3f items saved/entry (limit: one flush per save); "
                    "writes to flush %.3f ms/entry (of it CPU %.3f, flushes alone %.3f)\n",
                    static_cast<double>(g_saves.syncs) / n, static_cast<double>(SavedItems()) / n,
                    g_saves.writeAndSyncSeconds * perEntryMs, g_saves.writeAndSyncCpuSeconds * perEntryMs,
                    g_saves.syncSeconds * perEntryMs);
        // What the disk's flushes, which vary most from run to run, leave:
        // the store's computing before its first write stays in it.
        const double outsideWrites = run.seconds - g_saves.writeAndSyncSeconds;
        // Of it, what the converting thread spent off its CPU: waiting for
        // the dialog's thread to take a text or a bar position (each one a
        // round trip), and for a CPU on a busy machine.
        const double outsideCpu = ConverterCpuSeconds() - g_saves.writeAndSyncCpuSeconds;
        std::printf("          outside the store's writes and flushes: %.3f ms/entry (%.1f entries/s); of it the "
                    "converting thread's CPU %.3f, its waits %.3f\n",
                    outsideWrites * perEntryMs, outsideWrites > 0 ? n / outsideWrites : 0.0, outsideCpu * perEntryMs,
                    (outsideWrites - outsideCpu) * perEntryMs);
        std::printf("          CPU: %.3f ms/entry in all threads, %.3f in the converting thread, %.3f in the dialog's "
                    "(limit for the whole entry: %.3f ms)\n",
                    run.cpuSeconds * perEntryMs, ConverterCpuSeconds() * perEntryMs, run.guiThreadSeconds * perEntryMs,
                    1000 / kLimitPerSecond);
    };
    bench::MeasureInMachine(entries, "entries", build, convert);
}

} // namespace

int main(int argc, char** argv)
{
    bench::SetUpBenchmarkProcess();
    ReadOptions(argc, argv);
    for (std::size_t entries : bench::SizesFromArguments(argc, argv, {10000}))
        Measure(entries);
    return 0;
}
