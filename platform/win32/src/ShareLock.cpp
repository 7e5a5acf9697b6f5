#include "ShareLock.h"

#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

// Every open takes its marker first and only then looks at the others', so
// of two opens made at the same time at least one sees the other: no
// conflict is missed. An open that meets a conflict gives its marker back
// and tries once more under a gate that serialises such retries between the
// processes of the root, so that of two opens that met each other one
// wins. The common case, a file nobody else holds, costs one lock and one
// test of the kernel, and no gate.

namespace {

constexpr off_t kMarkerBase = 0x7FFFFFFF00000000LL;
constexpr off_t kMarkerCount = 64;

// The bits of a marker's place: what the open has, then what it denies.
constexpr unsigned kHasRead = 1, kHasWrite = 2, kHasDelete = 4;
constexpr unsigned kDeniesShift = 3;

unsigned MarkerOf(DWORD access, DWORD shareMode)
{
    const bool all = (access & GENERIC_ALL) != 0;
    unsigned has = 0;
    if (all || (access & GENERIC_READ))
        has |= kHasRead;
    if (all || (access & GENERIC_WRITE))
        has |= kHasWrite;
    if (all || (access & DELETE))
        has |= kHasDelete;
    unsigned denies = 0;
    if (!(shareMode & FILE_SHARE_READ))
        denies |= kHasRead;
    if (!(shareMode & FILE_SHARE_WRITE))
        denies |= kHasWrite;
    if (!(shareMode & FILE_SHARE_DELETE))
        denies |= kHasDelete;
    return has | (denies << kDeniesShift);
}

bool Conflict(unsigned a, unsigned b)
{
    const unsigned mask = (1u << kDeniesShift) - 1;
    return ((a & mask) & (b >> kDeniesShift)) != 0 || ((b & mask) & (a >> kDeniesShift)) != 0;
}

bool SetMarker(int fd, unsigned marker, short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kMarkerBase + static_cast<off_t>(marker);
    lock.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether another open file description holds a marker in [first, end)
// that conflicts with mine. The kernel names one lock per question, not
// necessarily the lowest, so the places on either side of it are asked
// again: k other markers cost 2k + 1 questions, and none costs one.
bool ConflictHeld(int fd, unsigned mine, off_t first, off_t end)
{
    if (first >= end)
        return false;
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kMarkerBase + first;
    probe.l_len = end - first;
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return true;
    if (probe.l_type == F_UNLCK)
        return false;
    // A lock may reach past the markers (a length of 0 runs to the end).
    const off_t from = std::max(probe.l_start - kMarkerBase, first);
    const off_t to = probe.l_len == 0 ? end : std::min(probe.l_start + probe.l_len - kMarkerBase, end);
    if (to <= from)
        return true;
    for (off_t held = from; held < to; ++held) {
        if (Conflict(mine, static_cast<unsigned>(held)))
            return true;
    }
    return ConflictHeld(fd, mine, first, from) || ConflictHeld(fd, mine, to, end);
}

// Takes the marker and checks the others; gives it back on a conflict.
bool TakeAndCheck(int fd, unsigned marker)
{
    if (!SetMarker(fd, marker, F_RDLCK))
        return false;
    if (!ConflictHeld(fd, marker, 0, kMarkerCount))
        return true;
    SetMarker(fd, marker, F_UNLCK);
    return false;
}

std::mutex g_gateMutex;
// The gate file of the machine root, kept open between retries (under
// g_gateMutex): the flock is taken and given back on the one descriptor.
// A forked child opens its own, as a flock shared with the parent's
// descriptor would not keep the two apart.
std::filesystem::path g_gatePath;
int g_gateFd = -1;
std::atomic<bool> g_forkedSinceOpen{false};
std::once_flag g_forkWatch;

int GateFile()
{
    std::call_once(g_forkWatch, [] { pthread_atfork(nullptr, nullptr, [] { g_forkedSinceOpen = true; }); });
    auto path = win32::MachineRoot() / ".share.lock";
    if (g_gateFd >= 0 && path == g_gatePath && !g_forkedSinceOpen)
        return g_gateFd;
    if (g_gateFd >= 0)
        ::close(g_gateFd);
    g_gateFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    g_gatePath = path;
    g_forkedSinceOpen = false;
    return g_gateFd;
}

class ShareGate {
public:
    ShareGate()
    {
        g_gateMutex.lock();
        m_fd = GateFile();
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~ShareGate()
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_UN);
        g_gateMutex.unlock();
    }
    ShareGate(const ShareGate&) = delete;
    ShareGate& operator=(const ShareGate&) = delete;

private:
    int m_fd = -1;
};

} // namespace

namespace win32 {

LONG ShareLock::Acquire(int fd, DWORD access, DWORD shareMode)
{
    const unsigned marker = MarkerOf(access, shareMode);
    if (TakeAndCheck(fd, marker))
        return ERROR_SUCCESS;
    // The conflict may be with an open that is itself still deciding and
    // will give way: once more, one retry at a time.
    ShareGate gate;
    return TakeAndCheck(fd, marker) ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION;
}

} // namespace win32
