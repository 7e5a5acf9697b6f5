// Files, folders and disks of the machine root, with Win32 semantics: share
// modes (enforced between handles of this process and of every process on
// the same root), dispositions, read-only attributes, wildcards.
#pragma once

#include "win32/Types.h"
#include "win32/MachineRoot.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD DELETE = 0x00010000;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, OVERLAPPED* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, OVERLAPPED* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPointer, DWORD moveMethod);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE object);

// Byte-range locks: a range that another lock overlaps (of this handle or
// any other, in any process on the root) is refused with
// ERROR_LOCK_VIOLATION; an unlock must name a range exactly as it was
// locked (else ERROR_NOT_LOCKED). The locks bind other LockFile calls only:
// reads and writes are not checked against them.
BOOL LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh);
BOOL UnlockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh);

constexpr DWORD FILE_TYPE_UNKNOWN = 0x0000;
constexpr DWORD FILE_TYPE_DISK = 0x0001;
constexpr DWORD FILE_TYPE_CHAR = 0x0002;
constexpr DWORD FILE_TYPE_PIPE = 0x0003;
// FILE_TYPE_DISK for a file; FILE_TYPE_UNKNOWN with ERROR_INVALID_HANDLE
// for anything else.
DWORD GetFileType(HANDLE file);

BOOL DeleteFileW(LPCWSTR fileName);
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName);
DWORD GetFileAttributesW(LPCWSTR fileName);
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes);
BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES* security);
BOOL RemoveDirectoryW(LPCWSTR pathName);

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData);
BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData);
BOOL FindClose(HANDLE findFile);

// The C runtime's access test and unlink: 0 on success, -1 on failure.
// Mode 0 tests existence, 2 write, 4 read, 6 both.
int _waccess(const WCHAR* path, int mode);
int _wunlink(const WCHAR* path);

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferChars);

// Free space of the drive that holds the folder. MARLWICK_DISK_FREE, when set
// to a number of bytes, replaces what the host reports (free and available);
// a hook set by win32::SetDiskFreeSpaceHook comes before both.
BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes);

// Bit n set for each drive letter 'A' + n that the machine has.
DWORD GetLogicalDrives();

UINT GetWindowsDirectoryW(LPWSTR buffer, UINT bufferChars);
UINT GetSystemDirectoryW(LPWSTR buffer, UINT bufferChars);

#include <cstdint>
#include <functional>
#include <optional>

constexpr LONG ERROR_NOT_READY = 21;

namespace win32 {

// For tests and benchmarks: the free bytes that GetDiskFreeSpaceExW reports
// for a folder (free and available alike), or nullopt to make the call fail
// with ERROR_NOT_READY. The hook runs on the calling thread, so a test may
// also hold a worker there. An empty hook removes it.
using DiskFreeSpaceHook = std::function<std::optional<ULONGLONG>(LPCWSTR directoryName)>;
void SetDiskFreeSpaceHook(DiskFreeSpaceHook hook);

// For benchmarks: the flushes to the disk this process made through the
// layer (FlushFileBuffers and the registry file's replacement).
std::uint64_t HostSyncCount();

} // namespace win32
