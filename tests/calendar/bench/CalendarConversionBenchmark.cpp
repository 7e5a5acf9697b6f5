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
#include "bench/ConversionBench.h"

#include "AppSettings.h"
#include "CalendarConverter.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "nsfbuild/Synthetic.h"
#include "ole/Com.h"
#include "win32/Clock.h"

namespace {

using namespace conversionbench;

constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\calendar.nsf";
constexpr const char16_t* kPstPath = u"C:\\Data\\calendar.pst";

void Convert(std::size_t entries)
{
    wcscpy_s(g_szInstallDir, MAX_PATH, install::kInstallFolder);
    InitAppSettings();
    g_nConvMode = 3;
    InstallCalendarConversion();
    g_strNsfPath = kNsfPath;
    g_strPstFolderName = u"Calendar";
    wcscpy_s(g_szPstPath, MAX_PATH, kPstPath);
    auto clock = std::make_shared<win32::VirtualClock>(std::chrono::system_clock::now());
    win32::SetClock(clock);

    const long residentBefore = PeakResidentKiB();
    const StepSixRun run = RunStepSix();
    const double pauses = std::chrono::duration<double>(clock->SinceStart()).count();
    std::printf("%9zu entries %8.1f s %9.1f entries/s %8.2f ms/entry  peak %7ld MiB (%ld before)  PST %7.1f MiB  "
                "pauses %.0f s  %s\n",
                entries, run.seconds, static_cast<double>(entries) / run.seconds,
                run.seconds * 1000 / static_cast<double>(entries), PeakResidentKiB() / 1024, residentBefore / 1024,
                FileMiB(kPstPath), pauses, Utf16ToUtf8(run.result).c_str());
}

void Measure(std::size_t entries)
{
    const fs::path root = NewMachineFolder("marlwick-calendarbench");
    const Clock::time_point building = Clock::now();
    bool built = InChild([&] {
        LayOutMachine(root);
        fs::create_directories(root / "drive_c" / "Program Files" / "Pellinor" / "Attachment");
        nsfbuild::CalendarOptions options;
        options.entries = entries;
        auto result =
            nsfbuild::BuildSyntheticCalendar(root / "drive_c" / "Notes" / "Data" / "mail" / "calendar.nsf", options);
        if (!result)
            Fail(result.message);
    });
    if (!built)
        Fail("the database could not be built");
    std::printf("%9zu entries built in %.1f s\n", entries, Seconds(building));
    if (!InChild([&] {
            win32::SetMachineRoot(root);
            CoInitialize(nullptr);
            Convert(entries);
        }))
        Fail("the conversion failed");
    std::error_code error;
    fs::remove_all(root, error);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("MARLWICK_DISPLAY", "headless", 1);
    ::setenv("TZ", "UTC", 1);
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {10000};
    for (std::size_t entries : sizes)
        Measure(entries);
    return 0;
}
