// The end of the process: what RuntimeExit runs, and what it leaves alone
// while other threads are still at work.
#include "win32/Process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Beside the test program, so that a death test's re-run child, a process
// of its own, names the same file.
fs::path MarkerPath(const char* name)
{
    return fs::read_symlink("/proc/self/exe").parent_path() / (std::string("process-end-") + name);
}

// A table of the kind the platform keeps, whose destructor leaves a mark.
struct MarkedTable {
    fs::path marker;
    std::map<int, int> rows;
    ~MarkedTable() { std::ofstream(marker) << "destroyed"; }
};

TEST(ProcessEnd, TheEndActionsRunLatestFirstAndTheCodeIsKept)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            win32::AtProcessEnd([] { std::fputs("first given;", stderr); });
            win32::AtProcessEnd([] { std::fputs("second given;", stderr); });
            win32::RuntimeExit(7);
        },
        ::testing::ExitedWithCode(7), "^second given;first given;$");
}

[[noreturn]] void EndWhileAThreadReads(const fs::path& marker)
{
    static MarkedTable table{marker, {}};
    for (int i = 0; i < 1000; ++i)
        table.rows[i] = i;
    static std::atomic<bool> reading{false};
    std::thread([] {
        for (long sum = 0;; sum += table.rows.at(static_cast<int>(sum % 1000))) {
            reading = true;
            if (sum < 0)
                std::abort();
        }
    }).detach();
    while (!reading)
        std::this_thread::yield();
    win32::RuntimeExit(0);
}

// A worker still reads a table of static storage when the main thread ends
// the process: the table is not destroyed under it, and the worker never
// sees it half gone.
TEST(ProcessEnd, AThreadAtWorkKeepsThePlatformsTablesToTheEnd)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path marker = MarkerPath("table");
    fs::remove(marker);
    EXPECT_EXIT(EndWhileAThreadReads(marker), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(fs::exists(marker)) << "the table was destroyed while the process ended";
    fs::remove(marker);
}

} // namespace
