// Processes: the command line, starting programs of the machine root, and the
// end of this process. The system ends through RuntimeExit, so that tests can
// observe the end instead of dying.
//
// The process ends as ExitProcess ends one: threads still at work (a folder
// walk, a conversion) are stopped where they stand, and the platform's state
// is not torn down under them, as a system library does nothing when it is
// told that its process is ending. State that must reach the disk first (a
// message store still open) is written by an action given to AtProcessEnd.
#pragma once

#include "win32/Types.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace win32 {

// Runs the end actions and ends the process with the code, unless a test has
// installed a hook; the hook must not return (it throws, typically).
[[noreturn]] void RuntimeExit(int code);
// An action for RuntimeExit, run before the process ends, the latest given
// first. It may wait for a lock that other threads take, never for a thread.
void AtProcessEnd(std::function<void()> action);
// Ends the process at once with the code, without the exit handlers, as
// TerminateProcess does to its own process; the same test hook sees it.
[[noreturn]] void RuntimeTerminate(int code);
void SetProcessExitHook(std::function<void(int)> hook);

// Starts a host program detached (it outlives this process and is never
// waited for), with the Windows command line in MARLWICK_CMDLINE, in the host
// folder given. Returns false when it cannot be started.
bool StartDetached(const std::filesystem::path& program, const std::u16string& commandLine,
                   const std::filesystem::path& workingFolder);

// Splits a command line as the Windows runtime does for argv.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

} // namespace win32

// The whole command line: program name, then the parameters as the starter gave them.
LPCWSTR GetCommandLineW();
DWORD GetCurrentProcessId();

// The pseudo handle of this process, for DuplicateHandle.
HANDLE GetCurrentProcess();

constexpr DWORD DUPLICATE_CLOSE_SOURCE = 0x1;
constexpr DWORD DUPLICATE_SAME_ACCESS = 0x2;
// A second handle to the same object (a file keeps its position and access,
// shared with the first). Both processes must be this one.
BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target, DWORD access,
                     BOOL inherit, DWORD options);
