// Libraries. The system libraries of this machine are built into the kernel
// layer: each is a named table of exported functions. KERNEL32.DLL is loaded
// in every process; the others (PSAPI.DLL, VDMDBG.DLL) are loaded by
// LoadLibrary and held until the last FreeLibrary. Their names are matched
// without regard to case and to a leading folder, and a name without an
// extension is taken as a ".DLL".
//
// Every other name is a library file of the machine root: an ELF shared
// object under its Windows file name ("Brenmoor.dll"). Such libraries are
// loaded with global symbols, so that several libraries built on the same
// platform layers share one copy of each layer's state, as DLLs share the
// system's DLLs on Windows. A library file stays mapped until the process
// ends: objects it made may still be alive when its last handle is freed.
#pragma once

#include "win32/Types.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The generic function pointer that GetProcAddress returns; the caller casts
// it to the function's own type before calling.
using FARPROC = void (*)();

constexpr LONG ERROR_MOD_NOT_FOUND = 126;
constexpr LONG ERROR_PROC_NOT_FOUND = 127;
constexpr LONG ERROR_BAD_EXE_FORMAT = 193;

// With a null name, the handle of the program itself: the instance handle
// that its resources are registered under. Otherwise the system library of
// that name, when it is loaded.
HMODULE GetModuleHandleA(LPCSTR moduleName);
HMODULE GetModuleHandleW(LPCWSTR moduleName);
// NULL and GetLastError ERROR_MOD_NOT_FOUND when the library is missing,
// ERROR_BAD_EXE_FORMAT when a file is not a loadable library.
HMODULE LoadLibraryA(LPCSTR fileName);
HMODULE LoadLibraryW(LPCWSTR fileName);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

namespace win32 {

using ModuleExports = std::vector<std::pair<std::string, FARPROC>>;

// Puts a system library in place of the one of that name, or adds it; a test
// uses it to take functions away. `resident` libraries are loaded without
// LoadLibrary, as KERNEL32.DLL is.
void RegisterSystemModule(const std::string& name, ModuleExports exports, bool resident);
// Takes a library away, so that loading it fails with ERROR_MOD_NOT_FOUND.
void UnregisterSystemModule(const std::string& name);
// Puts back the libraries the machine has at start.
void ResetSystemModules();

// The Windows path of the loaded library file that holds an address (of one
// of its own functions or variables), if it lies in the machine root.
std::optional<std::u16string> ModuleWindowsPath(const void* addressInModule);

// The host loader's text for the last failed load of a library file on this thread.
std::string LastLoadError();

} // namespace win32
