#include "EmptiedFiles.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace {

// A few files are rewritten in turn (a message's header file, its body
// file); more kept descriptors would only hold space of files long done.
constexpr std::size_t kKept = 4;

struct Kept {
    int fd;
    dev_t device;
    ino_t inode;
};

std::mutex g_mutex;
std::vector<Kept> g_kept; // oldest first, under g_mutex
// A forked child shares its parent's open file descriptions: taking one up
// would mix the two processes' share markers, so the child lets them go.
std::atomic<bool> g_forked{false};
std::once_flag g_forkWatch;

void DropInheritedUnlocked()
{
    if (!g_forked.exchange(false))
        return;
    for (const Kept& kept : g_kept)
        ::close(kept.fd);
    g_kept.clear();
}

// The kept descriptor of that file, no longer kept; -1 when there is none.
int DetachKept(dev_t device, ino_t inode)
{
    std::lock_guard guard(g_mutex);
    DropInheritedUnlocked();
    auto it = std::find_if(g_kept.begin(), g_kept.end(),
                           [&](const Kept& k) { return k.device == device && k.inode == inode; });
    if (it == g_kept.end())
        return -1;
    const int fd = it->fd;
    g_kept.erase(it);
    return fd;
}

} // namespace

namespace win32 {

void KeepEmptiedFile(int fd, dev_t device, ino_t inode)
{
    std::call_once(g_forkWatch, [] { pthread_atfork(nullptr, nullptr, [] { g_forked = true; }); });
    // Every lock of the open, from its first byte to past its share markers.
    struct flock unlock = {};
    unlock.l_type = F_UNLCK;
    unlock.l_whence = SEEK_SET;
    unlock.l_start = 0;
    unlock.l_len = 0;
    if (::fcntl(fd, F_OFD_SETLK, &unlock) != 0) {
        ::close(fd);
        return;
    }
    int closing = -1;
    {
        std::lock_guard guard(g_mutex);
        DropInheritedUnlocked();
        auto same = std::find_if(g_kept.begin(), g_kept.end(),
                                 [&](const Kept& k) { return k.device == device && k.inode == inode; });
        if (same != g_kept.end()) {
            closing = same->fd;
            g_kept.erase(same);
        } else if (g_kept.size() >= kKept) {
            closing = g_kept.front().fd;
            g_kept.erase(g_kept.begin());
        }
        g_kept.push_back({fd, device, inode});
    }
    if (closing >= 0)
        ::close(closing);
}

int TakeEmptiedFile(dev_t device, ino_t inode)
{
    return DetachKept(device, inode);
}

void ForgetEmptiedFile(dev_t device, ino_t inode)
{
    const int fd = DetachKept(device, inode);
    if (fd >= 0)
        ::close(fd);
}

} // namespace win32
