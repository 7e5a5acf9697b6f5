#include "RecycledFiles.h"

#include "win32/MachineRoot.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Enough for the files a program makes and deletes in turn.
constexpr std::size_t kKept = 8;
// Larger files are unlinked: emptying them costs what making one saves.
constexpr off_t kLargest = 1 << 20;

struct Kept {
    std::string path;
    dev_t device;
};

std::mutex g_mutex;
std::vector<Kept>* g_kept = new std::vector<Kept>; // under g_mutex; outlives the exit handlers
std::atomic<unsigned> g_serial{0};
std::once_flag g_setUp;
std::set<std::string>* g_swept = new std::set<std::string>; // folders swept, under g_mutex
mode_t g_umask = 022;

void UnlinkKept()
{
    std::lock_guard guard(g_mutex);
    for (const Kept& kept : *g_kept)
        ::unlink(kept.path.c_str());
    g_kept->clear();
}

void SetUp()
{
    std::call_once(g_setUp, [] {
        // The process's umask without changing it, which would race with
        // other threads making files.
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Umask:", 0) == 0) {
                g_umask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
                break;
            }
        }
        std::atexit(UnlinkKept);
    });
}

// A process killed before its exit handlers ran left its kept files behind.
// They are empty and named by their process, so the first process to keep a
// file in the folder unlinks those of processes that are gone. A file of a
// live process unlinked by mistake costs that process only a new file: its
// take then finds nothing to move.
void SweepLeftBehind(const fs::path& folder)
{
    {
        std::lock_guard guard(g_mutex);
        if (!g_swept->insert(folder.string()).second)
            return;
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        pid_t pid = 0;
        const auto [end, status] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (status != std::errc() || end == name.data() + name.size() || *end != '-' || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            ::unlink(entry.path().c_str());
    }
}

// Takes a write lease: granted only while fd is the file's one open. A
// lease break (someone opening the file meanwhile) is told by SIGURG, whose
// default is to be ignored, rather than SIGIO, which would end the process.
bool Lease(int fd)
{
    if (::fcntl(fd, F_SETSIG, SIGURG) != 0)
        return false;
    return ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
}

void Unlease(int fd)
{
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
}

} // namespace

namespace win32 {

bool RecycleDeletedFile(int fd, const std::string& host, const struct stat& st)
{
    if (fd < 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_size > kLargest)
        return false;
    SetUp();
    {
        std::lock_guard guard(g_mutex);
        if (g_kept->size() >= kKept)
            return false;
    }
    struct stat opened = {};
    if (::fstat(fd, &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino)
        return false;
    if (!Lease(fd))
        return false;
    const fs::path folder = MachineRoot() / ".recycled";
    const std::string aside = (folder / (std::to_string(::getpid()) + "-" + std::to_string(g_serial++))).string();
    bool moved = ::rename(host.c_str(), aside.c_str()) == 0;
    if (!moved && errno == ENOENT && ::mkdir(folder.c_str(), 0700) == 0)
        moved = ::rename(host.c_str(), aside.c_str()) == 0;
    if (!moved) {
        Unlease(fd);
        return false;
    }
    SweepLeftBehind(folder);
    const bool emptied = ::ftruncate(fd, 0) == 0;
    Unlease(fd);
    if (!emptied) {
        ::unlink(aside.c_str());
        return true;
    }
    std::lock_guard guard(g_mutex);
    g_kept->push_back({aside, st.st_dev});
    return true;
}

int TakeRecycledFile(const std::string& host, mode_t mode)
{
    errno = 0;
    Kept kept;
    {
        std::lock_guard guard(g_mutex);
        if (g_kept->empty())
            return -1;
        kept = g_kept->back();
        g_kept->pop_back();
    }
    if (::renameat2(AT_FDCWD, kept.path.c_str(), AT_FDCWD, host.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        if (error == EEXIST || error == EXDEV) {
            std::lock_guard guard(g_mutex);
            g_kept->push_back(kept);
        }
        errno = error == EEXIST ? EEXIST : 0;
        return -1;
    }
    const int fd = ::open(host.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    struct stat st = {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_dev != kept.device || st.st_nlink != 1) {
        // Replaced between the move and the open: what is there now is
        // another's file.
        if (fd >= 0)
            ::close(fd);
        errno = EEXIST;
        return -1;
    }
    // Someone who opened the kept file meanwhile still holds it: it is not
    // taken up, and the name is made anew.
    if (st.st_size != 0 || !Lease(fd)) {
        ::close(fd);
        ::unlink(host.c_str());
        errno = 0;
        return -1;
    }
    const mode_t wanted = mode & ~g_umask & 07777;
    bool ok = (st.st_mode & 07777) == wanted || ::fchmod(fd, wanted) == 0;
    ok = ok && ::futimens(fd, nullptr) == 0;
    Unlease(fd);
    if (!ok) {
        ::close(fd);
        ::unlink(host.c_str());
        errno = 0;
        return -1;
    }
    return fd;
}

} // namespace win32
