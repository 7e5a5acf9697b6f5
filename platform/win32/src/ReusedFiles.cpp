#include "ReusedFiles.h"

#include "win32/MachineRoot.h"
#include "win32/Process.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Enough for the files of a few items; more would only hold inodes.
constexpr std::size_t kKept = 32;

std::mutex g_mutex;
std::vector<std::string>* g_kept = new std::vector<std::string>; // outlives the exit handlers
std::atomic<std::uint64_t> g_counter{0};

// The process's file-creation mask, which an open that creates applies;
// -1 when it cannot be read without changing it.
int CreationMask()
{
    static const int mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Umask:", 0) == 0)
                return static_cast<int>(std::strtol(line.c_str() + 6, nullptr, 8));
        }
        return -1;
    }();
    return mask;
}

// Deletes the files still kept when the process ends.
void ForgetAllAtEnd()
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        win32::AtProcessEnd([] {
            std::lock_guard lock(g_mutex);
            for (const std::string& kept : *g_kept)
                ::unlink(kept.c_str());
            g_kept->clear();
        });
    });
}

// Removes what processes that ended without their end actions (killed,
// crashed) left kept: their files are named by their process id.
void RemoveLeftByEndedProcesses(const fs::path& folder)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().native();
        pid_t owner = 0;
        const auto [stop, ec] = std::from_chars(name.data(), name.data() + name.size(), owner);
        if (ec != std::errc() || stop == name.data() + name.size() || *stop != '-' || owner <= 0)
            continue;
        if (owner == ::getpid() || ::kill(owner, 0) == 0 || errno == EPERM)
            continue;
        std::error_code ignored;
        fs::remove(it->path(), ignored);
    }
}

} // namespace

namespace win32 {

bool KeepDeletedFile(const fs::path& host, const struct stat& status)
{
    if (!S_ISREG(status.st_mode) || status.st_nlink != 1 || status.st_uid != ::geteuid() || CreationMask() < 0)
        return false;
    {
        std::lock_guard lock(g_mutex);
        if (g_kept->size() >= kKept)
            return false;
    }
    const fs::path folder = MachineRoot() / ".kept-files";
    std::error_code error;
    fs::create_directory(folder, error);
    {
        // Once per folder (a machine root of its own) in each process.
        static std::set<std::string>* swept = new std::set<std::string>; // outlives the exit handlers
        std::lock_guard lock(g_mutex);
        if (swept->insert(folder.native()).second)
            RemoveLeftByEndedProcesses(folder);
    }
    const std::string kept = (folder / (std::to_string(::getpid()) + "-" + std::to_string(++g_counter))).native();
    // The name goes at once, as by unlink; another file system (EXDEV)
    // leaves the file where it is, for the caller to delete.
    if (::rename(host.c_str(), kept.c_str()) != 0)
        return false;
    // Emptied through a descriptor that is closed again: the host writes out
    // the data of a file emptied to nothing when it is closed next (its
    // guard for files rewritten in place), which would otherwise be the
    // close of the file that takes this one up, and put its bytes on disk.
    const int fd = ::open(kept.c_str(), O_WRONLY | O_CLOEXEC);
    const bool emptied = fd >= 0 && ::ftruncate(fd, 0) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!emptied) {
        ::unlink(kept.c_str());
        return true;
    }
    ForgetAllAtEnd();
    std::lock_guard lock(g_mutex);
    g_kept->push_back(kept);
    return true;
}

int TakeKeptFile(const fs::path& host, int flags, mode_t mode)
{
    const int mask = CreationMask();
    if (mask < 0)
        return -1;
    std::string kept;
    {
        std::lock_guard lock(g_mutex);
        if (g_kept->empty())
            return -1;
        kept = std::move(g_kept->back());
        g_kept->pop_back();
    }
    // Never over a name that appeared meanwhile: then the caller's own
    // create meets it as it would have.
    if (::renameat2(AT_FDCWD, kept.c_str(), AT_FDCWD, host.c_str(), RENAME_NOREPLACE) != 0) {
        ::unlink(kept.c_str());
        return -1;
    }
    const int fd = ::open(host.c_str(), flags & ~(O_CREAT | O_EXCL));
    if (fd < 0) {
        ::unlink(host.c_str());
        return -1;
    }
    const mode_t wanted = mode & ~static_cast<mode_t>(mask) & 07777;
    struct stat st = {};
    // A file made now: the mode the create would give, and its times now.
    if (::fstat(fd, &st) != 0 || st.st_size != 0 || ((st.st_mode & 07777) != wanted && ::fchmod(fd, wanted) != 0)
        || ::futimens(fd, nullptr) != 0) {
        ::close(fd);
        ::unlink(host.c_str());
        return -1;
    }
    return fd;
}

} // namespace win32
