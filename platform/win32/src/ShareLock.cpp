#include "ShareLock.h"

#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <pthread.h>
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

constexpr off_t kMarkerCount = 6;

// True when another open file description holds any marker: most files have
// no other open, and one probe then answers every question.
bool AnyMarkerTaken(int fd)
{
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kMarkerBase;
    probe.l_len = kMarkerCount;
    if (fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return true;
    return probe.l_type != F_UNLCK;
}

// Takes the markers marked in wanted, each run of neighbours in one call.
bool TakeMarkers(int fd, const bool (&wanted)[kMarkerCount])
{
    for (off_t first = 0; first < kMarkerCount;) {
        if (!wanted[first]) {
            ++first;
            continue;
        }
        off_t end = first + 1;
        while (end < kMarkerCount && wanted[end])
            ++end;
        struct flock lock = {};
        lock.l_type = F_RDLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = kMarkerBase + first;
        lock.l_len = end - first;
        if (fcntl(fd, F_OFD_SETLK, &lock) != 0)
            return false;
        first = end;
    }
    return true;
}

std::mutex g_gateMutex;
// The gate file of the machine root, kept open between opens of files (under
// g_gateMutex): the flock is taken and given back on the one descriptor.
// A forked child opens its own, as a flock shared with the parent's
// descriptor would not keep the two apart.
std::filesystem::path g_gatePath;
std::string g_gateSetting; // MARLWICK_ROOT when g_gatePath was made
int g_gateFd = -1;
// Set in a forked child, which must not use its parent's descriptor (the
// child is told without a system call per gate).
std::atomic<bool> g_forkedSinceOpen{false};
std::once_flag g_forkWatch;

int GateFile()
{
    std::call_once(g_forkWatch, [] { pthread_atfork(nullptr, nullptr, [] { g_forkedSinceOpen = true; }); });
    // The root's setting is compared as text first: the gate's path is only
    // made again when the setting changed.
    const char* setting = std::getenv("MARLWICK_ROOT");
    if (g_gateFd >= 0 && setting && *setting && g_gateSetting == setting && !g_forkedSinceOpen)
        return g_gateFd;
    auto path = win32::MachineRoot() / ".share.lock";
    g_gateSetting = setting ? setting : "";
    if (g_gateFd >= 0 && path == g_gatePath && !g_forkedSinceOpen)
        return g_gateFd;
    if (g_gateFd >= 0)
        ::close(g_gateFd);
    g_gateFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    g_gatePath = path;
    g_forkedSinceOpen = false;
    return g_gateFd;
}

} // namespace

namespace win32 {

ShareGate::ShareGate()
{
    g_gateMutex.lock();
    m_fd = GateFile();
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_EX);
}

ShareGate::~ShareGate()
{
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_UN);
    g_gateMutex.unlock();
}

LONG ShareLock::Acquire(int fd, DWORD access, DWORD shareMode)
{
    Want want = AccessOf(access);
    bool denyRead = !(shareMode & FILE_SHARE_READ);
    bool denyWrite = !(shareMode & FILE_SHARE_WRITE);
    bool denyDelete = !(shareMode & FILE_SHARE_DELETE);
    bool conflict = AnyMarkerTaken(fd)
        && ((want.read && MarkerTaken(fd, DeniesRead)) || (want.write && MarkerTaken(fd, DeniesWrite))
            || (want.del && MarkerTaken(fd, DeniesDelete)) || (denyRead && MarkerTaken(fd, HasRead))
            || (denyWrite && MarkerTaken(fd, HasWrite)) || (denyDelete && MarkerTaken(fd, HasDelete)));
    if (conflict)
        return ERROR_SHARING_VIOLATION;
    const bool markers[kMarkerCount] = {want.read, want.write, want.del, denyRead, denyWrite, denyDelete};
    return TakeMarkers(fd, markers) ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION;
}

bool IsAccessDenied(const std::filesystem::path& file, DWORD access)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    Want want = AccessOf(access);
    bool denied = AnyMarkerTaken(fd)
        && ((want.read && MarkerTaken(fd, DeniesRead)) || (want.write && MarkerTaken(fd, DeniesWrite))
            || (want.del && MarkerTaken(fd, DeniesDelete)));
    ::close(fd);
    return denied;
}

} // namespace win32
