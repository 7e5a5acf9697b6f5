// System libraries by name, in their narrow form. The system libraries of this
// machine are built into the kernel layer: each is a named table of exported
// functions. KERNEL32.DLL is loaded in every process; the others (PSAPI.DLL,
// VDMDBG.DLL) are loaded by LoadLibraryA and held until the last FreeLibrary.
// Names are matched without regard to case and to a leading folder, and a
// name without an extension is taken as a ".DLL".
#pragma once

#include "win32/Types.h"

#include <string>
#include <utility>
#include <vector>

// The generic function pointer that GetProcAddress returns; the caller casts
// it to the function's own type before calling.
using FARPROC = void (*)();

constexpr LONG ERROR_MOD_NOT_FOUND = 126;
constexpr LONG ERROR_PROC_NOT_FOUND = 127;

HMODULE GetModuleHandleA(LPCSTR moduleName);
HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

namespace win32 {

using ModuleExports = std::vector<std::pair<std::string, FARPROC>>;

// Puts a system library in place of the one of that name, or adds it; a test
// uses it to take functions away. `resident` libraries are loaded without
// LoadLibraryA, as KERNEL32.DLL is.
void RegisterSystemModule(const std::string& name, ModuleExports exports, bool resident);
// Takes a library away, so that loading it fails with ERROR_MOD_NOT_FOUND.
void UnregisterSystemModule(const std::string& name);
// Puts back the libraries the machine has at start.
void ResetSystemModules();

} // namespace win32
