#include "FolderNames.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cerrno>
#include <dirent.h>
#include <list>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <unordered_map>

namespace {

// The file systems whose every change passes the kernel's notification.
bool IsLocalFileSystem(const std::string& folder)
{
    struct statfs fs = {};
    if (::statfs(folder.c_str(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0x01021994: // tmpfs
        return true;
    default:
        return false;
    }
}

// A watch on a folder of thousands of names holds them all; a handful of
// folders are worked in at a time.
constexpr std::size_t kKeptFolders = 16;

constexpr uint32_t kWatched =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::u16string Folded(std::u16string_view name)
{
    std::u16string folded(name);
    for (char16_t& c : folded)
        c = CharUpperChar(c);
    return folded;
}

struct Folder {
    std::string path;
    // Host names by their folded UTF-16 form.
    std::unordered_map<std::u16string, std::set<std::string>> names;
    std::size_t count = 0; // host names in all
    dev_t device = 0;
    ino_t inode = 0;
    int wd = -1; // its watch
};

class KeptFolders {
public:
    win32::NameFound Find(const std::string& folder, dev_t device, ino_t inode, std::u16string_view name,
                          std::string& entry)
    {
        Folder* kept = Current(folder, device, inode);
        if (!kept)
            return win32::NameFound::Unknown;
        auto it = kept->names.find(Folded(name));
        if (it == kept->names.end() || it->second.empty())
            return win32::NameFound::Missing;
        if (it->second.size() > 1)
            return win32::NameFound::Unknown;
        entry = *it->second.begin();
        return win32::NameFound::Found;
    }

    win32::FolderContents Contents(const std::string& folder, dev_t device, ino_t inode)
    {
        Folder* kept = Current(folder, device, inode);
        if (!kept)
            return win32::FolderContents::Unknown;
        return kept->count == 0 ? win32::FolderContents::Empty : win32::FolderContents::Entries;
    }

    void MarkForked() { m_forked = true; }

private:
    // The folder as it is now, with every queued event applied; null when
    // it cannot be kept or is not the folder the path names now.
    Folder* Current(const std::string& folder, dev_t device, ino_t inode)
    {
        if (m_forked) {
            Reset();
            m_forked = false;
        }
        if (m_fd < 0 && !m_failed) {
            m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            m_failed = m_fd < 0;
        }
        if (m_fd < 0)
            return nullptr;
        Drain();
        Folder* kept = Kept(folder);
        if (kept && (kept->device != device || kept->inode != inode)) {
            Drop(kept->wd);
            kept = Kept(folder);
        }
        return kept && kept->device == device && kept->inode == inode ? kept : nullptr;
    }

    // The folder's names, watched from now on; null when it cannot be kept.
    Folder* Kept(const std::string& path)
    {
        for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
            if (m_folders.at(*it).path == path) {
                m_recent.splice(m_recent.begin(), m_recent, it);
                return &m_folders.at(*it);
            }
        }
        if (!IsLocalFileSystem(path))
            return nullptr;
        if (m_recent.size() >= kKeptFolders)
            Drop(m_recent.back());
        // Watched before it is listed: a change during the listing is in the
        // queue, and its event, applied after, gives the name's final state.
        const int wd = ::inotify_add_watch(m_fd, path.c_str(), kWatched);
        if (wd < 0)
            return nullptr;
        if (m_folders.count(wd))
            Forget(wd); // the same folder under another path: listed again
        Folder folder{path, {}};
        DIR* dir = ::opendir(path.c_str());
        struct stat st = {};
        if (!dir || ::fstat(::dirfd(dir), &st) != 0) {
            if (dir)
                ::closedir(dir);
            ::inotify_rm_watch(m_fd, wd);
            return nullptr;
        }
        folder.device = st.st_dev;
        folder.inode = st.st_ino;
        folder.wd = wd;
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view host = e->d_name;
            if (host != "." && host != ".." && folder.names[Folded(Utf8ToUtf16(host))].emplace(host).second)
                ++folder.count;
        }
        ::closedir(dir);
        m_folders.emplace(wd, std::move(folder));
        m_recent.push_front(wd);
        Drain();
        auto it = m_folders.find(wd);
        return it == m_folders.end() ? nullptr : &it->second;
    }

    void Drop(int wd)
    {
        ::inotify_rm_watch(m_fd, wd);
        Forget(wd);
    }

    void Forget(int wd)
    {
        m_folders.erase(wd);
        m_recent.remove(wd);
    }

    void Reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_failed = false;
        m_folders.clear();
        m_recent.clear();
    }

    // Applies every queued event to the folders kept.
    void Drain()
    {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                Apply(*event);
            }
        }
    }

    void Apply(const inotify_event& event)
    {
        if (event.mask & IN_Q_OVERFLOW) {
            // Changes were lost: nothing kept can be trusted.
            Reset();
            m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            m_failed = m_fd < 0;
            return;
        }
        auto it = m_folders.find(event.wd);
        if (it == m_folders.end())
            return;
        if (event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
            if (event.mask & IN_IGNORED)
                Forget(event.wd);
            else
                Drop(event.wd);
            return;
        }
        if (event.len == 0)
            return;
        const std::string host(event.name);
        auto& same = it->second.names[Folded(Utf8ToUtf16(host))];
        if (event.mask & (IN_CREATE | IN_MOVED_TO))
            it->second.count += same.insert(host).second ? 1 : 0;
        else if (event.mask & (IN_DELETE | IN_MOVED_FROM))
            it->second.count -= same.erase(host);
    }

    int m_fd = -1;
    bool m_failed = false;
    bool m_forked = false;
    std::unordered_map<int, Folder> m_folders; // by watch
    std::list<int> m_recent;                  // watches, most recently used first
};

std::mutex g_mutex;
KeptFolders* g_kept = new KeptFolders; // outlives the exit handlers
std::once_flag g_forkWatch;

} // namespace

namespace win32 {

namespace {

void WatchForks()
{
    // A forked child shares its parent's queue, whose events only one of
    // the two would read: the child starts a queue of its own. The lock is
    // held across the fork, so the child never inherits it taken.
    std::call_once(g_forkWatch, [] {
        pthread_atfork([] { g_mutex.lock(); }, [] { g_mutex.unlock(); },
                       [] {
                           g_kept->MarkForked();
                           g_mutex.unlock();
                       });
    });
}

} // namespace

NameFound FindKeptNameNoCase(const std::string& folder, dev_t device, ino_t inode, std::u16string_view name,
                             std::string& entry)
{
    WatchForks();
    std::lock_guard lock(g_mutex);
    return g_kept->Find(folder, device, inode, name, entry);
}

FolderContents KeptFolderContents(const std::string& folder, dev_t device, ino_t inode)
{
    WatchForks();
    std::lock_guard lock(g_mutex);
    return g_kept->Contents(folder, device, inode);
}

} // namespace win32
