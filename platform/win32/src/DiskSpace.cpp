#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <cstdlib>
#include <sys/statvfs.h>

namespace {

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

} // namespace

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes)
{
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
    if (freeBytesAvailableToCaller)
        freeBytesAvailableToCaller->QuadPart = available;
    if (totalNumberOfBytes)
        totalNumberOfBytes->QuadPart = total;
    if (totalNumberOfFreeBytes)
        totalNumberOfFreeBytes->QuadPart = free;
    return TRUE;
}
