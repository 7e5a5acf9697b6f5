// Libraries of the machine: LoadLibraryW maps a Windows path of the machine
// root to the host library it names (an ELF shared object under its Windows
// file name, "Brenmoor.dll") and loads it.
//
// Libraries are loaded with global symbols, so that several libraries built
// on the same platform layers share one copy of each layer's state (the
// first library loaded provides it to those loaded after it), as DLLs share
// the system's DLLs on Windows. A library stays mapped until the process
// ends: objects it made may still be alive when its last handle is freed.
#pragma once

#include "win32/Types.h"

#include <optional>
#include <string>

using FARPROC = void (*)();

constexpr LONG ERROR_MOD_NOT_FOUND = 126;
constexpr LONG ERROR_PROC_NOT_FOUND = 127;
constexpr LONG ERROR_BAD_EXE_FORMAT = 193;

// NULL and GetLastError ERROR_MOD_NOT_FOUND when the file is missing,
// ERROR_BAD_EXE_FORMAT when it is not a loadable library.
HMODULE LoadLibraryW(LPCWSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);

namespace win32 {

// The Windows path of the loaded library that holds an address (of one of
// its own functions or variables), if it lies in the machine root.
std::optional<std::u16string> ModuleWindowsPath(const void* addressInModule);

// The host loader's text for the last failed LoadLibraryW of this thread.
std::string LastLoadError();

} // namespace win32
