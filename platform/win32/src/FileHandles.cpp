// What a file handle offers beside reading and writing: byte-range locks,
// its type, and duplicates of any handle.
#include "FileObject.h"

#include "EmptiedFiles.h"

#include "win32/FileApi.h"
#include "win32/Process.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The highest offset a lock may reach; the share markers lie above it.
constexpr ULONGLONG kLockableEnd = 0x7FFFFFFF00000000ULL;

// The locks of this process, by file and by the open that took them, so
// that two opens of one file see each other's ranges.
struct RangeLock {
    dev_t device;
    ino_t inode;
    const win32::FileObject* owner;
    ULONGLONG offset;
    ULONGLONG length;
};
std::mutex g_locksMutex;
std::vector<RangeLock> g_locks;

ULONGLONG Join(DWORD low, DWORD high)
{
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

// Takes an open-file-description lock too, so that other processes on the
// root see the range; false only when one of them holds it.
bool HostLock(const win32::FileObject& file, ULONGLONG offset, ULONGLONG length)
{
    struct flock lock = {};
    lock.l_type = (file.access & (GENERIC_WRITE | GENERIC_ALL)) ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    return fcntl(file.fd, F_OFD_SETLK, &lock) == 0 || (errno != EAGAIN && errno != EACCES);
}

void HostUnlock(const win32::FileObject& file, ULONGLONG offset, ULONGLONG length)
{
    struct flock lock = {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    fcntl(file.fd, F_OFD_SETLK, &lock);
}

// The pseudo handle GetCurrentProcess gives, as Windows gives it.
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

} // namespace

namespace win32 {

FileObject::~FileObject()
{
    DropRangeLocks(this);
    if (fd >= 0 && keepOnClose)
        KeepEmptiedFile(fd, device, inode);
    else if (fd >= 0)
        ::close(fd);
}

void DropRangeLocks(const FileObject* file)
{
    std::lock_guard guard(g_locksMutex);
    std::erase_if(g_locks, [&](const RangeLock& lock) { return lock.owner == file; });
}

} // namespace win32

BOOL LockFile(HANDLE handle, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh)
{
    auto file = win32::FileOf(handle);
    if (!file)
        return FALSE;
    ULONGLONG offset = Join(offsetLow, offsetHigh);
    ULONGLONG length = Join(bytesLow, bytesHigh);
    struct stat st = {};
    if (length == 0 || offset >= kLockableEnd || length > kLockableEnd - offset || ::fstat(file->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard guard(g_locksMutex);
    bool taken = std::any_of(g_locks.begin(), g_locks.end(), [&](const RangeLock& lock) {
        return lock.device == st.st_dev && lock.inode == st.st_ino && lock.offset < offset + length
            && offset < lock.offset + lock.length;
    });
    if (taken || !HostLock(*file, offset, length)) {
        SetLastError(ERROR_LOCK_VIOLATION);
        return FALSE;
    }
    g_locks.push_back({st.st_dev, st.st_ino, file.get(), offset, length});
    return TRUE;
}

BOOL UnlockFile(HANDLE handle, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh)
{
    auto file = win32::FileOf(handle);
    if (!file)
        return FALSE;
    ULONGLONG offset = Join(offsetLow, offsetHigh);
    ULONGLONG length = Join(bytesLow, bytesHigh);
    std::lock_guard guard(g_locksMutex);
    auto it = std::find_if(g_locks.begin(), g_locks.end(), [&](const RangeLock& lock) {
        return lock.owner == file.get() && lock.offset == offset && lock.length == length;
    });
    if (it == g_locks.end()) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    HostUnlock(*file, offset, length);
    g_locks.erase(it);
    return TRUE;
}

DWORD GetFileType(HANDLE handle)
{
    if (!win32::FileOf(handle))
        return FILE_TYPE_UNKNOWN;
    SetLastError(ERROR_SUCCESS);
    return FILE_TYPE_DISK;
}

HANDLE GetCurrentProcess()
{
    return kCurrentProcess;
}

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target, DWORD, BOOL,
                     DWORD options)
{
    if (sourceProcess != kCurrentProcess || targetProcess != kCurrentProcess) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto object = win32::LookupHandle(source);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (target)
        *target = win32::InsertHandle(object);
    if (options & DUPLICATE_CLOSE_SOURCE)
        win32::RemoveHandle(source);
    return TRUE;
}
