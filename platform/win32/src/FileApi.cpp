#include "win32/FileApi.h"

#include "EmptiedFiles.h"
#include "FileObject.h"
#include "RecycledFiles.h"
#include "win32/HandleTable.h"
#include "win32/MachineRoot.h"
#include "win32/Thread.h"
#include "win32/WideString.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using win32::FileObject;

} // namespace

namespace win32 {

LONG ErrnoToWin32(int err)
{
    switch (err) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

namespace {
std::atomic<std::uint64_t> g_hostSyncs{0};
} // namespace

std::uint64_t HostSyncCount()
{
    return g_hostSyncs.load(std::memory_order_relaxed);
}

void CountHostSync()
{
    g_hostSyncs.fetch_add(1, std::memory_order_relaxed);
}

std::shared_ptr<FileObject> FileOf(HANDLE handle)
{
    auto file = LookupHandleAs<FileObject>(handle);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

} // namespace win32

namespace {

using win32::ErrnoToWin32;
using win32::FileOf;

template <typename T>
T Fail(LONG error, T value)
{
    SetLastError(static_cast<DWORD>(error));
    return value;
}

// Read-only is the absence of every write bit. Root ignores the bits, so the
// layer enforces them itself, as Windows enforces the attribute for everyone.
bool IsReadOnly(const struct stat& st)
{
    return (st.st_mode & 0222) == 0;
}

// The file's status, from the look-up when it has it.
bool StatOf(const win32::HostPathText& path, struct stat& st)
{
    if (path.statusKnown) {
        st = path.status;
        return true;
    }
    return ::stat(path.hostPath.c_str(), &st) == 0;
}

// The open that deleting or renaming a file makes, with access to delete
// and every share: it is refused while another open denies deleting, and
// refuses opens that deny it while it holds its marker, until the name is
// gone. A file this process may not open for reading is not checked.
class DeleteOpen {
public:
    explicit DeleteOpen(const std::string& host)
        : m_fd(::open(host.c_str(), O_RDWR | O_CLOEXEC))
    {
        if (m_fd < 0)
            m_fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
        m_refused = m_fd >= 0
            && win32::ShareLock::Acquire(m_fd, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)
                != ERROR_SUCCESS;
    }
    ~DeleteOpen()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DeleteOpen(const DeleteOpen&) = delete;
    DeleteOpen& operator=(const DeleteOpen&) = delete;

    bool Refused() const { return m_refused; }
    int Fd() const { return m_fd; }

private:
    int m_fd;
    bool m_refused = false;
};

std::optional<win32::HostPathText> Existing(LPCWSTR name)
{
    LONG error = 0;
    auto resolved = win32::ResolvePathText(name ? name : u"", win32::Resolve::Existing, &error);
    if (!resolved)
        SetLastError(static_cast<DWORD>(error));
    return resolved;
}

} // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES*,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE)
{
    if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING)
        return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    LONG error = 0;
    auto resolved = win32::ResolvePathText(fileName ? fileName : u"", win32::Resolve::ParentExists, &error);
    if (!resolved)
        return Fail(error, INVALID_HANDLE_VALUE);
    const std::string& host = resolved->hostPath;
    bool wantsWrite = (desiredAccess & (GENERIC_WRITE | GENERIC_ALL)) != 0;

    struct stat st = {};
    bool exists = StatOf(*resolved, st);
    // The open file's own share marker decides every conflict (ShareLock.h);
    // the path is looked at again only when another process made or removed
    // the file between the look-up and the open.
    for (int attempt = 0;; ++attempt) {
        if (exists && S_ISDIR(st.st_mode))
            return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        if (exists && creationDisposition == CREATE_NEW)
            return Fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
        if (!exists && (creationDisposition == OPEN_EXISTING || creationDisposition == TRUNCATE_EXISTING))
            return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
        if (exists && IsReadOnly(st) && (wantsWrite || creationDisposition == CREATE_ALWAYS
                                         || creationDisposition == TRUNCATE_EXISTING))
            return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);

        // The open's own descriptor carries its share marker, so it can
        // always read (ReadFile checks the handle's access, not the
        // descriptor's). An existing file is emptied only once the markers
        // allow this open.
        auto file = std::make_shared<FileObject>();
        int flags = O_CLOEXEC;
        flags |= wantsWrite ? O_RDWR : O_RDONLY;
        if (!exists)
            flags |= O_CREAT | O_EXCL;
        bool truncate = exists && (creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING);
        // A file is always opened with write rights when it is being
        // truncated, as CREATE_ALWAYS on a handle for reading only still
        // empties the file.
        if (truncate && !wantsWrite)
            flags = (flags & ~O_RDONLY) | O_RDWR;
        mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        // A file that an open emptied is opened again on the descriptor kept
        // since (EmptiedFiles.h), which the stat has shown to be the file the
        // path names now; the descriptor is kept again when this open closes.
        if (exists)
            file->fd = win32::TakeEmptiedFile(st.st_dev, st.st_ino);
        const bool kept = file->fd >= 0;
        struct stat opened = st;
        // A new file is made from a deleted one when one is kept
        // (RecycledFiles.h).
        if (!exists)
            file->fd = win32::TakeRecycledFile(host, mode);
        if (file->fd < 0 && !exists && errno == EEXIST && attempt == 0) {
            exists = ::stat(host.c_str(), &st) == 0;
            continue;
        }
        if (file->fd < 0) {
            file->fd = ::open(host.c_str(), flags, mode);
            const int openError = file->fd < 0 ? errno : 0;
            const bool raced = (openError == EEXIST && !exists) || (openError == ENOENT && exists);
            if (raced && attempt == 0) {
                exists = ::stat(host.c_str(), &st) == 0;
                continue;
            }
            if (file->fd < 0)
                return Fail(ErrnoToWin32(openError), INVALID_HANDLE_VALUE);
            if (truncate && ::fstat(file->fd, &opened) != 0)
                return Fail(ErrnoToWin32(errno), INVALID_HANDLE_VALUE);
        }
        LONG shareError = win32::ShareLock::Acquire(file->fd, desiredAccess, shareMode);
        if (shareError != ERROR_SUCCESS)
            return Fail(shareError, INVALID_HANDLE_VALUE);
        if (truncate && ::ftruncate(file->fd, 0) != 0)
            return Fail(ErrnoToWin32(errno), INVALID_HANDLE_VALUE);
        file->keepOnClose = truncate || kept;
        file->device = opened.st_dev;
        file->inode = opened.st_ino;
        file->access = desiredAccess;
        HANDLE handle = win32::InsertHandle(file);
        SetLastError(exists && (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS)
                         ? ERROR_ALREADY_EXISTS
                         : ERROR_SUCCESS);
        return handle;
    }
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, OVERLAPPED*)
{
    win32::ThreadSafePoint();
    if (bytesRead)
        *bytesRead = 0;
    auto file = FileOf(handle);
    if (!file)
        return FALSE;
    if (!(file->access & (GENERIC_READ | GENERIC_ALL)))
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    std::lock_guard guard(file->positionMutex);
    DWORD done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < bytesToRead) {
        ssize_t n = ::pread(file->fd, out + done, bytesToRead - done, file->position);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail(ErrnoToWin32(errno), FALSE);
        if (n == 0)
            break;
        const DWORD wanted = bytesToRead - done;
        done += static_cast<DWORD>(n);
        file->position += n;
        // A disk file reads short only at its end: no need to ask again.
        if (static_cast<DWORD>(n) < wanted)
            break;
    }
    if (bytesRead)
        *bytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, OVERLAPPED*)
{
    win32::ThreadSafePoint();
    if (bytesWritten)
        *bytesWritten = 0;
    auto file = FileOf(handle);
    if (!file)
        return FALSE;
    if (!(file->access & (GENERIC_WRITE | GENERIC_ALL)))
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    std::lock_guard guard(file->positionMutex);
    DWORD done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < bytesToWrite) {
        ssize_t n = ::pwrite(file->fd, in + done, bytesToWrite - done, file->position);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail(ErrnoToWin32(errno), FALSE);
        done += static_cast<DWORD>(n);
        file->position += n;
    }
    if (bytesWritten)
        *bytesWritten = done;
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, PLARGE_INTEGER newPointer, DWORD moveMethod)
{
    auto file = FileOf(handle);
    if (!file)
        return FALSE;
    int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    if (moveMethod > FILE_END)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    std::lock_guard guard(file->positionMutex);
    off_t origin = 0;
    if (whence == SEEK_CUR) {
        origin = file->position;
    } else if (whence == SEEK_END) {
        struct stat st = {};
        if (::fstat(file->fd, &st) != 0)
            return Fail(ErrnoToWin32(errno), FALSE);
        origin = st.st_size;
    }
    off_t target = origin + distance.QuadPart;
    if (target < 0)
        return Fail(131 /* ERROR_NEGATIVE_SEEK */, FALSE);
    file->position = target;
    if (newPointer)
        newPointer->QuadPart = target;
    return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD moveMethod)
{
    LARGE_INTEGER move;
    if (distanceHigh)
        move.QuadPart = (static_cast<LONGLONG>(*distanceHigh) << 32) | static_cast<DWORD>(distance);
    else
        move.QuadPart = distance;
    LARGE_INTEGER result;
    if (!SetFilePointerEx(handle, move, &result, moveMethod))
        return INVALID_SET_FILE_POINTER;
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(result.QuadPart >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(result.QuadPart & 0xFFFFFFFF);
}

BOOL GetFileSizeEx(HANDLE handle, PLARGE_INTEGER fileSize)
{
    auto file = FileOf(handle);
    if (!file)
        return FALSE;
    struct stat st = {};
    if (::fstat(file->fd, &st) != 0)
        return Fail(ErrnoToWin32(errno), FALSE);
    fileSize->QuadPart = st.st_size;
    return TRUE;
}

DWORD GetFileSize(HANDLE handle, LPDWORD fileSizeHigh)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size))
        return INVALID_FILE_SIZE;
    if (fileSizeHigh)
        *fileSizeHigh = static_cast<DWORD>(size.QuadPart >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size.QuadPart & 0xFFFFFFFF);
}

BOOL SetEndOfFile(HANDLE handle)
{
    auto file = FileOf(handle);
    if (!file)
        return FALSE;
    std::lock_guard guard(file->positionMutex);
    if (::ftruncate(file->fd, file->position) != 0)
        return Fail(ErrnoToWin32(errno), FALSE);
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE handle)
{
    auto file = FileOf(handle);
    if (!file)
        return FALSE;
    win32::CountHostSync();
    if (::fsync(file->fd) != 0)
        return Fail(ErrnoToWin32(errno), FALSE);
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    if (!win32::RemoveHandle(object))
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR fileName)
{
    auto resolved = Existing(fileName);
    if (!resolved)
        return FALSE;
    struct stat st = {};
    if (!StatOf(*resolved, st))
        return Fail(ErrnoToWin32(errno), FALSE);
    if (S_ISDIR(st.st_mode) || IsReadOnly(st))
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    DeleteOpen open(resolved->hostPath);
    if (open.Refused())
        return Fail(ERROR_SHARING_VIOLATION, FALSE);
    // The layer's own kept descriptor would hold the file too.
    if (st.st_nlink <= 1)
        win32::ForgetEmptiedFile(st.st_dev, st.st_ino);
    if (win32::RecycleDeletedFile(open.Fd(), resolved->hostPath, st))
        return TRUE;
    if (::unlink(resolved->hostPath.c_str()) != 0)
        return Fail(ErrnoToWin32(errno), FALSE);
    return TRUE;
}

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists)
{
    HANDLE in = CreateFileW(existingFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return FALSE;
    HANDLE out = CreateFileW(newFileName, GENERIC_WRITE, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        CloseHandle(in);
        return Fail(static_cast<LONG>(error), FALSE);
    }
    char buffer[65536];
    BOOL ok = TRUE;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr)) {
            ok = FALSE;
            break;
        }
        if (got == 0)
            break;
        DWORD put = 0;
        if (!WriteFile(out, buffer, got, &put, nullptr) || put != got) {
            ok = FALSE;
            break;
        }
    }
    DWORD error = GetLastError();
    CloseHandle(out);
    CloseHandle(in);
    if (!ok)
        SetLastError(error);
    return ok;
}

BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName)
{
    auto from = Existing(existingFileName);
    if (!from)
        return FALSE;
    LONG error = 0;
    auto to = win32::ResolvePathText(newFileName ? newFileName : u"", win32::Resolve::ParentExists, &error);
    if (!to)
        return Fail(error, FALSE);
    if (to->exists && !EqualsNoCase(to->windowsPath, from->windowsPath))
        return Fail(ERROR_ALREADY_EXISTS, FALSE);
    // Folders have no share markers: no open of the layer holds one.
    const bool folder = from->statusKnown && S_ISDIR(from->status.st_mode);
    std::optional<DeleteOpen> open;
    if (!folder)
        open.emplace(from->hostPath);
    if (open && open->Refused())
        return Fail(ERROR_SHARING_VIOLATION, FALSE);
    if (::rename(from->hostPath.c_str(), to->hostPath.c_str()) != 0)
        return Fail(ErrnoToWin32(errno), FALSE);
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName)
{
    auto resolved = Existing(fileName);
    if (!resolved)
        return INVALID_FILE_ATTRIBUTES;
    struct stat st = {};
    if (!StatOf(*resolved, st))
        return Fail(ErrnoToWin32(errno), INVALID_FILE_ATTRIBUTES);
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (IsReadOnly(st))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes)
{
    auto resolved = Existing(fileName);
    if (!resolved)
        return FALSE;
    struct stat st = {};
    if (!StatOf(*resolved, st))
        return Fail(ErrnoToWin32(errno), FALSE);
    mode_t mode = st.st_mode & 07777;
    // Hidden, system and archive have no host counterpart; only read-only is kept.
    mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | 0200);
    if (::chmod(resolved->hostPath.c_str(), mode) != 0)
        return Fail(ErrnoToWin32(errno), FALSE);
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES*)
{
    LONG error = 0;
    auto resolved = win32::ResolvePathText(pathName ? pathName : u"", win32::Resolve::ParentExists, &error);
    if (!resolved)
        return Fail(error, FALSE);
    if (resolved->exists)
        return Fail(ERROR_ALREADY_EXISTS, FALSE);
    if (::mkdir(resolved->hostPath.c_str(), 0777) != 0)
        return Fail(ErrnoToWin32(errno), FALSE);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName)
{
    auto resolved = Existing(pathName);
    if (!resolved)
        return FALSE;
    if (::rmdir(resolved->hostPath.c_str()) != 0)
        return Fail(errno == ENOTDIR ? ERROR_DIRECTORY_INVALID : ErrnoToWin32(errno), FALSE);
    return TRUE;
}

int _waccess(const WCHAR* path, int mode)
{
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        errno = ENOENT;
        return -1;
    }
    if ((mode & 2) && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return -1;
    }
    return 0;
}

int _wunlink(const WCHAR* path)
{
    if (!DeleteFileW(path)) {
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return -1;
    }
    return 0;
}

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferChars)
{
    // No 8.3 names are generated here: the short name of an existing path is
    // its long name, as on volumes where 8.3 generation is off.
    if (!Existing(longPath))
        return 0;
    std::u16string_view path(longPath);
    if (bufferChars < path.size() + 1)
        return static_cast<DWORD>(path.size() + 1);
    std::copy(path.begin(), path.end(), shortPath);
    shortPath[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

namespace {

UINT CopyOut(std::u16string_view text, LPWSTR buffer, UINT bufferChars)
{
    if (bufferChars < text.size() + 1)
        return static_cast<UINT>(text.size() + 1);
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return static_cast<UINT>(text.size());
}

} // namespace

UINT GetWindowsDirectoryW(LPWSTR buffer, UINT bufferChars)
{
    return CopyOut(u"C:\\Windows", buffer, bufferChars);
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT bufferChars)
{
    return CopyOut(u"C:\\Windows\\System32", buffer, bufferChars);
}
