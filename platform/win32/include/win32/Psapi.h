// The process status functions, in their narrow form: the ids of the running
// processes, and the executable of one process opened with
// PROCESS_QUERY_INFORMATION | PROCESS_VM_READ. A process's only module is its
// executable; processes without one (kernel threads) list no modules.
#pragma once

#include "win32/Types.h"

constexpr LONG ERROR_PARTIAL_COPY = 299;

// Fills at most cb / sizeof(DWORD) ids, in ascending order, and sets the
// bytes filled; a buffer that is too small is filled and the rest left out.
BOOL EnumProcesses(DWORD* processIds, DWORD cb, LPDWORD bytesReturned);
// `needed` receives the bytes that every module handle takes, whether or not
// they fitted into cb.
BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD cb, LPDWORD needed);
// The module's full path or base name, cut to size - 1 bytes and always
// terminated; the result is the length stored, 0 on failure. A null module
// stands for the executable.
DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName, DWORD size);
DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR baseName, DWORD size);
