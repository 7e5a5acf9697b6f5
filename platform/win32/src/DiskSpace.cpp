#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <cstdlib>
#include <filesystem>
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
