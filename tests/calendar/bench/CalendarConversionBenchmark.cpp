// Cost of a whole calendar conversion: a synthetic calendar of every entry
// type converted by the real converter, step 6 opened as step 5 opens it.
// The converter's fixed pauses (two of a second, then three of two seconds
// per entry) run on a virtual clock and are reported apart, so that the
// figures are those of the conversion's own work. A plain timer; the
// figures are printed, nothing is asserted.
//
//   calendar_conversion_benchmark [ENTRIES...]   (default 10000)
//
// Each size runs in processes of its own: one builds the database, one
// converts it, so that the peak memory is the conversion's alone.
#include "BenchmarkHarness.h"

#include "CalendarConverter.h"
#include "Converters.h"
#include "nsfbuild/Synthetic.h"
#include "win32/Clock.h"
#include "win32/WideString.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\calendar.nsf";
constexpr const char16_t* kPstPath = u"C:\\Data\\calendar.pst";
constexpr double kLimitPerSecond = 1000;

void Measure(std::size_t entries)
{
    auto build = [&](const fs::path& mailFolder) {
        // mailFolder is drive_c\Notes\Data\mail; the converter detaches
        // attachments into the install folder's Attachment folder.
        const fs::path driveC = mailFolder.parent_path().parent_path().parent_path();
        fs::create_directories(driveC / "Program Files" / "Pellinor" / "Attachment");
        nsfbuild::CalendarOptions options;
        options.entries = entries;
        if (auto result = nsfbuild::BuildSyntheticCalendar(mailFolder / "calendar.nsf", options); !result)
            bench::Fail(result.message);
    };
    auto convert = [&] {
        InstallConverter(3, &RunCalendarConversion);
        auto clock = std::make_shared<win32::VirtualClock>(std::chrono::system_clock::now());
        win32::SetClock(clock);
        const bench::RunFigures run = bench::RunConversion(3, kNsfPath, kPstPath, u"Calendar");
        const double pauses = std::chrono::duration<double>(clock->SinceStart()).count();
        std::printf("%9zu entries %8.1f s %9.1f entries/s (limit at least %.0f) %8.2f ms/entry  peak %7ld MiB (%ld before)  PST %7.1f MiB  "
                    "pauses %.0f s  %s\n",
                    entries, run.seconds, static_cast<double>(entries) / run.seconds, kLimitPerSecond,
                    run.seconds * 1000 / static_cast<double>(entries), run.peakKiB / 1024, run.peakBeforeKiB / 1024,
                    run.pstMiB, pauses, Utf16ToUtf8(run.result).c_str());
    };
    bench::MeasureInMachine(entries, "entries", build, convert);
}

} // namespace

int main(int argc, char** argv)
{
    bench::SetUpBenchmarkProcess();
    for (std::size_t entries : bench::SizesFromArguments(argc, argv, {10000}))
        Measure(entries);
    return 0;
}
