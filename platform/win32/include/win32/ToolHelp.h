// The ToolHelp process snapshot, in its narrow form: a copy of the process
// list taken at one moment, read entry by entry. Entries come in ascending
// process id, so the first is the machine's init process.
#pragma once

#include "win32/Types.h"

using ULONG_PTR = std::uintptr_t;

constexpr DWORD TH32CS_SNAPHEAPLIST = 0x00000001;
constexpr DWORD TH32CS_SNAPPROCESS = 0x00000002;
constexpr DWORD TH32CS_SNAPTHREAD = 0x00000004;
constexpr DWORD TH32CS_SNAPMODULE = 0x00000008;

constexpr LONG ERROR_BAD_LENGTH = 24;

struct PROCESSENTRY32 {
    DWORD dwSize; // the caller sets it to sizeof(PROCESSENTRY32) before the first read
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    CHAR szExeFile[MAX_PATH]; // base name of the executable, ANSI code page
};
using LPPROCESSENTRY32 = PROCESSENTRY32*;

// A snapshot without TH32CS_SNAPPROCESS holds no processes; the process id
// is not used for process snapshots. Close it with CloseHandle.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
// FALSE with ERROR_BAD_LENGTH when dwSize is smaller than the structure,
// ERROR_NO_MORE_FILES past the last entry.
BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry);
BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry);
