// Cost of a whole contact conversion: a synthetic address book (every field
// the conversion reads, and groups that it must leave) converted by the real
// converter into a new PST, step 6 opened as step 5 opens it. Every contact
// goes through a session, a logon, a folder look-up and a save of its own.
// A plain timer; the figures are printed, nothing is asserted.
//
//   contact_conversion_benchmark [PERSONS...]   (default 10000)
//
// Each size runs in processes of its own: one builds the database, one
// converts it, so that the peak memory is the conversion's alone. The two
// fixed waits of the folder set-up (2 s) are part of the time.
#include "BenchmarkHarness.h"

#include "notes/Notes.h"
#include "nsfbuild/Synthetic.h"
#include "win32/WideString.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\names.nsf";
constexpr const char16_t* kPstPath = u"C:\\Data\\contacts.pst";
constexpr double kLimitPerSecond = 1000;
constexpr double kFixedWaitSeconds = 2; // the folder set-up's two waits of a second

void Measure(std::size_t persons)
{
    auto build = [&](const fs::path& mailFolder) {
        nsfbuild::AddressBookOptions options;
        options.persons = persons;
        options.groups = persons / 100;
        if (auto result = nsfbuild::BuildSyntheticAddressBook(mailFolder / "names.nsf", options); !result)
            bench::Fail(result.message);
    };
    auto convert = [&] {
        const bench::RunFigures run = bench::RunConversion(2, kNsfPath, kPstPath, u"Contacts");
        const double work = run.seconds > kFixedWaitSeconds ? run.seconds - kFixedWaitSeconds : run.seconds;
        std::printf("%9zu persons %8.1f s %9.1f contacts/s besides the fixed waits (limit at least %.0f) %8.2f "
                    "ms/contact  peak %7ld MiB (%ld before)  PST %7.1f MiB  %s\n",
                    persons, run.seconds, static_cast<double>(persons) / work, kLimitPerSecond,
                    run.seconds * 1000 / static_cast<double>(persons), run.peakKiB / 1024, run.peakBeforeKiB / 1024,
                    run.pstMiB, Utf16ToUtf8(run.result).c_str());
        // Every person is saved once: a flush more per contact would be a
        // save the converter did not ask for.
        const double n = static_cast<double>(persons);
        std::printf("          store: %.3f flushes/contact (limit: one per contact saved); CPU %.3f ms/contact in all "
                    "threads, %.3f in the dialog's\n",
                    static_cast<double>(run.storeSyncs) / n, run.cpuSeconds * 1000 / n,
                    run.guiThreadSeconds * 1000 / n);
    };
    bench::MeasureInMachine(persons, "persons", build, convert);
}

} // namespace

int main(int argc, char** argv)
{
    bench::SetUpBenchmarkProcess();
    for (std::size_t persons : bench::SizesFromArguments(argc, argv, {10000}))
        Measure(persons);
    return 0;
}
