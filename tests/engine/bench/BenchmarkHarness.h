// What the conversion benchmarks share: a machine root laid out by the
// installer, the work done in child processes so that each figure of peak
// memory is one process's alone, and a whole run of step 6 timed from its
// opening to its completion dialog. Nothing waits for a person: every
// message box is answered (Yes to a question, OK otherwise) and the free
// space of the PST's drive is pinned high.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// Prints the failure under the program's name and ends the process.
[[noreturn]] void Fail(const std::string& what);

double Seconds(std::chrono::steady_clock::time_point since);
long PeakResidentKiB();

// Runs the body in a child process and waits for it; false when it failed.
bool InChild(const std::function<void()>& body);

// The environment of every benchmark process: the headless screen, UTC.
void SetUpBenchmarkProcess();

// The sizes named on the command line (numbers), or the fallback sizes
// when none is named; other arguments are left to the caller.
std::vector<std::size_t> SizesFromArguments(int argc, char** argv, std::vector<std::size_t> fallback);

// In a new machine root laid out by the installer (the closer made
// harmless, C:\Data and the Notes data folder "mail" made): builds the
// database in one child process (build is given the host path of that
// "mail" folder) and says how long it took, then converts it in another
// with the machine root set and COM initialised; the machine is removed.
void MeasureInMachine(std::size_t count, const char* unit,
                      const std::function<void(const std::filesystem::path&)>& build,
                      const std::function<void()>& convert);

// The cost of the items of one folder over a window of them, taken while
// the run goes on: the window ends at the item `end` of the folder.
struct WindowFigures {
    std::size_t end = 0;
    std::size_t items = 0;
    double seconds = 0;
    double cpuSeconds = 0;
};

struct RunFigures {
    double seconds = 0;
    long peakKiB = 0;
    long peakBeforeKiB = 0;
    double pstMiB = 0;
    std::uint64_t pstBytes = 0;
    std::u16string result;
    // Of the converting process over the run, all its threads.
    double cpuSeconds = 0;
    double userSeconds = 0;
    double guiThreadSeconds = 0; // of it the GUI thread's: the dialog's painting
    double converterThreadSeconds = 0; // of it the converting thread's, the store's saves included
    std::uint64_t diskBytesWritten = 0; // pages dirtied (/proc/self/io)
    std::uint64_t diskBytesCancelled = 0; // of them truncated or deleted unwritten
    std::uint64_t storeSyncs = 0;       // the message store's fdatasync calls
    std::uint64_t storeBytes = 0;       // bytes the store handed to its file
    std::uint64_t otherSyncs = 0;       // FlushFileBuffers and the registry's
    std::vector<WindowFigures> windows; // as asked for, in order
};

// Sets the settings and run choices common to every mode (install folder,
// NSF, PST, the step-5 folder name), opens step 6 on a GUI thread of its own
// and waits for the completion dialog. For each end in windowEnds (of one
// folder's items, ascending), the cost of the `window` items up to it.
RunFigures RunConversion(int mode, const char16_t* nsfPath, const char16_t* pstPath, const char16_t* folderName,
                         const std::vector<std::size_t>& windowEnds = {}, std::size_t window = 1000);

} // namespace bench
