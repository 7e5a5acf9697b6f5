// What the conversion benchmarks share: a timer, the peak memory, a child
// process for each phase (so that the peak is that phase's alone), a
// machine root laid out by the installer, and step 6 run as step 5's
// Convert opens it, to its completion dialog.
#pragma once

#include "CProDlg.h"
#include "install/MachineInstaller.h"
#include "user/Automation.h"
#include "user/MessageBox.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace conversionbench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

inline long PeakResidentKiB()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

[[noreturn]] inline void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
    std::_Exit(2);
}

// Runs the body in a child process and waits for it; false when it failed.
template <class Body>
bool InChild(Body body)
{
    std::fflush(stdout);
    pid_t child = fork();
    if (child < 0)
        Fail("cannot fork");
    if (child == 0) {
        body();
        std::fflush(stdout);
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A new, empty temporary folder for a machine root.
inline fs::path NewMachineFolder(const std::string& prefix)
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        Fail("cannot make a machine root");
    return pattern;
}

// Lays out the machine in root and makes it this process's machine root.
inline void LayOutMachine(const fs::path& root)
{
    win32::SetMachineRoot(root);
    std::string error;
    if (!install::InstallMachine({root, MARLWICK_PROGRAMS_DIR, MARLWICK_RESOURCES_DIR}, &error))
        Fail(error);
    // The closer would end an Outlook of the host.
    fs::copy_file("/bin/true", root / "drive_c" / "Program Files" / "Pellinor" / "Stavrel.exe",
                  fs::copy_options::overwrite_existing);
    fs::create_directories(root / "drive_c" / "Data");
    fs::create_directories(root / "drive_c" / "Notes" / "Data" / "mail");
}

struct StepSixRun {
    double seconds = 0;
    std::u16string result;
};

// Opens step 6 on a GUI thread of its own, every message box answered with
// Yes or OK, and waits for the completion dialog.
inline StepSixRun RunStepSix()
{
    user::SetMessageBoxAnswerer([](const user::MessageBoxRecord& box) {
        std::fprintf(stderr, "answered: %s\n", Utf16ToUtf8(box.text).c_str());
        return (box.type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    });
    const Clock::time_point start = Clock::now();
    std::thread gui([] {
        CProDlg dialog;
        dialog.DoModal();
    });
    gui.detach();
    HWND completion = user::automation::WaitForWindowWithControl(1040, std::chrono::hours(12));
    StepSixRun run;
    run.seconds = Seconds(start);
    if (!completion)
        Fail("the run did not end");
    run.result = user::automation::TextOf(GetDlgItem(completion, 1040));
    return run;
}

// The size of a file of the machine, in MiB.
inline double FileMiB(LPCWSTR path)
{
    std::error_code error;
    const auto bytes = fs::file_size(win32::ResolvePath(path, win32::Resolve::Existing)->hostPath, error);
    return static_cast<double>(bytes) / (1 << 20);
}

} // namespace conversionbench
