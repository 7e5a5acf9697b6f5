#include "ShareLock.h"

#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr off_t kMarkerBase = 0x7FFFFFFF00000000LL;

enum Marker : off_t { HasRead = 0, HasWrite = 1, HasDelete = 2, DeniesRead = 3, DeniesWrite = 4, DeniesDelete = 5 };

struct Want {
    bool read, write, del;
};

Want AccessOf(DWORD access)
{
    bool all = (access & GENERIC_ALL) != 0;
    return {all || (access & GENERIC_READ) != 0, all || (access & GENERIC_WRITE) != 0,
            all || (access & DELETE) != 0};
}

// True when another open file description holds a lock on the marker.
bool MarkerTaken(int fd, off_t marker)
{
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kMarkerBase + marker;
    probe.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return false;
    return probe.l_type != F_UNLCK;
}

bool TakeMarker(int fd, off_t marker)
{
    struct flock lock = {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kMarkerBase + marker;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

std::mutex g_gateMutex;

} // namespace

namespace win32 {

ShareGate::ShareGate()
{
    g_gateMutex.lock();
    auto path = MachineRoot() / ".share.lock";
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_EX);
}

ShareGate::~ShareGate()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the flock
    g_gateMutex.unlock();
}

ShareLock::~ShareLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

LONG ShareLock::Acquire(const std::filesystem::path& file, DWORD access, DWORD shareMode)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    Want want = AccessOf(access);
    bool denyRead = !(shareMode & FILE_SHARE_READ);
    bool denyWrite = !(shareMode & FILE_SHARE_WRITE);
    bool denyDelete = !(shareMode & FILE_SHARE_DELETE);
    bool conflict = (want.read && MarkerTaken(fd, DeniesRead)) || (want.write && MarkerTaken(fd, DeniesWrite))
        || (want.del && MarkerTaken(fd, DeniesDelete)) || (denyRead && MarkerTaken(fd, HasRead))
        || (denyWrite && MarkerTaken(fd, HasWrite)) || (denyDelete && MarkerTaken(fd, HasDelete));
    if (conflict) {
        ::close(fd);
        return ERROR_SHARING_VIOLATION;
    }
    bool ok = (!want.read || TakeMarker(fd, HasRead)) && (!want.write || TakeMarker(fd, HasWrite))
        && (!want.del || TakeMarker(fd, HasDelete)) && (!denyRead || TakeMarker(fd, DeniesRead))
        && (!denyWrite || TakeMarker(fd, DeniesWrite)) && (!denyDelete || TakeMarker(fd, DeniesDelete));
    if (!ok) {
        ::close(fd);
        return ERROR_SHARING_VIOLATION;
    }
    m_fd = fd;
    return ERROR_SUCCESS;
}

bool IsAccessDenied(const std::filesystem::path& file, DWORD access)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    Want want = AccessOf(access);
    bool denied = (want.read && MarkerTaken(fd, DeniesRead)) || (want.write && MarkerTaken(fd, DeniesWrite))
        || (want.del && MarkerTaken(fd, DeniesDelete));
    ::close(fd);
    return denied;
}

} // namespace win32
