// Opening and ending other processes by id. A process may be opened for
// anything beyond a query of its basic information only by the user that owns
// it; the others fail with ERROR_ACCESS_DENIED. Handles are closed with
// CloseHandle.
#pragma once

#include "win32/Types.h"

constexpr DWORD PROCESS_TERMINATE = 0x0001;
constexpr DWORD PROCESS_CREATE_THREAD = 0x0002;
constexpr DWORD PROCESS_VM_OPERATION = 0x0008;
constexpr DWORD PROCESS_VM_READ = 0x0010;
constexpr DWORD PROCESS_VM_WRITE = 0x0020;
constexpr DWORD PROCESS_DUP_HANDLE = 0x0040;
constexpr DWORD PROCESS_CREATE_PROCESS = 0x0080;
constexpr DWORD PROCESS_SET_QUOTA = 0x0100;
constexpr DWORD PROCESS_SET_INFORMATION = 0x0200;
constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;
constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
constexpr DWORD SYNCHRONIZE = 0x00100000;
// Every right, as the headers for Windows XP and older define it (later
// headers define a larger mask that these systems refuse).
constexpr DWORD PROCESS_ALL_ACCESS = 0x001F0FFF;

// Null on failure: ERROR_INVALID_PARAMETER when no live process has the id,
// ERROR_ACCESS_DENIED when it belongs to another user.
HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
// Ends the process at once; the handle must hold PROCESS_TERMINATE. Nothing
// waits for the end.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
DWORD GetProcessId(HANDLE process);
