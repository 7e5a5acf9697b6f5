#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sys/statvfs.h>

namespace {

std::mutex g_hookMutex;
win32::DiskFreeSpaceHook g_hook;

win32::DiskFreeSpaceHook CurrentHook()
{
    std::lock_guard lock(g_hookMutex);
    return g_hook;
}

// A test or a benchmark can pin the free space to exact figures.
bool OverriddenFreeSpace(ULONGLONG* bytes)
{
    const char* text = std::getenv("MARLWICK_DISK_FREE");
    if (!text || !*text)
        return false;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (*end)
        return false;
    *bytes = value;
    return true;
}

void Report(ULONGLONG available, ULONGLONG total, ULONGLONG free, PULARGE_INTEGER freeBytesAvailableToCaller,
            PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes)
{
    if (freeBytesAvailableToCaller)
        freeBytesAvailableToCaller->QuadPart = available;
    if (totalNumberOfBytes)
        totalNumberOfBytes->QuadPart = total;
    if (totalNumberOfFreeBytes)
        totalNumberOfFreeBytes->QuadPart = free;
}

} // namespace

void win32::SetDiskFreeSpaceHook(DiskFreeSpaceHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes)
{
    if (auto hook = CurrentHook()) {
        std::optional<ULONGLONG> pinned = hook(directoryName);
        if (!pinned) {
            SetLastError(static_cast<DWORD>(ERROR_NOT_READY));
            return FALSE;
        }
        Report(*pinned, *pinned, *pinned, freeBytesAvailableToCaller, totalNumberOfBytes, totalNumberOfFreeBytes);
        return TRUE;
    }
    LONG error = 0;
    auto resolved = win32::ResolvePath(directoryName ? directoryName : u"\\", win32::Resolve::Existing, &error);
    if (!resolved) {
        SetLastError(static_cast<DWORD>(error));
        return FALSE;
    }
    struct statvfs vfs = {};
    if (::statvfs(resolved->hostPath.c_str(), &vfs) != 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    ULONGLONG available = static_cast<ULONGLONG>(vfs.f_bavail) * vfs.f_frsize;
    ULONGLONG free = static_cast<ULONGLONG>(vfs.f_bfree) * vfs.f_frsize;
    ULONGLONG total = static_cast<ULONGLONG>(vfs.f_blocks) * vfs.f_frsize;
    ULONGLONG pinned = 0;
    if (OverriddenFreeSpace(&pinned)) {
        available = free = pinned;
        if (total < pinned)
            total = pinned;
    }
    Report(available, total, free, freeBytesAvailableToCaller, totalNumberOfBytes, totalNumberOfFreeBytes);
    return TRUE;
}

DWORD GetLogicalDrives()
{
    DWORD drives = 0;
    std::error_code error;
    for (int n = 0; n < 26; ++n) {
        if (std::filesystem::is_directory(win32::DriveFolder(static_cast<WCHAR>(u'A' + n)), error))
            drives |= 1u << n;
    }
    return drives;
}
