// Starting a program of the machine root and waiting for it, as the C
// runtime's _wspawn functions do.
#pragma once

#include "win32/Types.h"

#include <filesystem>
#include <string>

constexpr int _P_WAIT = 0;
constexpr int _P_NOWAIT = 1;

// The arguments, a null-terminated list whose first entry names the program,
// are joined with single blanks into the child's command line, without
// quoting, as the Windows runtime joins them. With _P_WAIT the result is the
// child's exit code; with _P_NOWAIT the child's process id. -1 with errno
// ENOENT when the program is missing.
intptr_t _wspawnv(int mode, const WCHAR* path, const WCHAR* const* argv);
intptr_t _wspawnl(int mode, const WCHAR* path, const WCHAR* arg0, ...);

namespace win32 {

// Runs a host program with a Windows command line (in MARLWICK_CMDLINE) and
// waits for its end: its exit code, or -1 when it could not be started or
// did not end normally.
int RunAndWait(const std::filesystem::path& program, const std::u16string& commandLine);

} // namespace win32
