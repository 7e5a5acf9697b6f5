// FindFirstFileW / FindNextFileW over a folder of the machine root, with the
// * and ? wildcards of the last component matched ignoring case.
#include "win32/FileApi.h"

#include "FolderNames.h"
#include "win32/HandleTable.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Entry {
    std::u16string name;
    struct stat st;
};

class FindObject : public win32::KernelObject {
public:
    std::vector<Entry> entries;
    std::size_t next = 0;
};

// The folder listed last stays open: a program that searches one folder
// again and again (emptying a working folder per item) then lists it
// without opening it each time. It is taken up only for the folder (device
// and inode) that the path names now, and rewound it lists the folder as
// it is now. A forked child shares its position with the parent's, so the
// child lets it go.
struct KeptFolder {
    DIR* dir = nullptr;
    dev_t device = 0;
    ino_t inode = 0;
};
std::mutex g_keptMutex;
KeptFolder g_kept; // under g_keptMutex
std::atomic<bool> g_forked{false};
std::once_flag g_forkWatch;

// Called under g_keptMutex: the kept folder, unless a fork came since.
KeptFolder TakeKeptUnlocked()
{
    KeptFolder kept = std::exchange(g_kept, {});
    if (g_forked.exchange(false) && kept.dir) {
        ::closedir(kept.dir);
        kept = {};
    }
    return kept;
}

DIR* TakeKeptFolder(const struct stat& folder)
{
    std::lock_guard guard(g_keptMutex);
    if (!g_kept.dir || g_kept.device != folder.st_dev || g_kept.inode != folder.st_ino)
        return nullptr;
    DIR* dir = TakeKeptUnlocked().dir;
    if (dir)
        ::rewinddir(dir);
    return dir;
}

void KeepFolder(DIR* dir, const struct stat& folder)
{
    std::call_once(g_forkWatch, [] { pthread_atfork(nullptr, nullptr, [] { g_forked = true; }); });
    KeptFolder previous;
    {
        std::lock_guard guard(g_keptMutex);
        previous = TakeKeptUnlocked();
        g_kept = {dir, folder.st_dev, folder.st_ino};
    }
    if (previous.dir)
        ::closedir(previous.dir);
}

bool Matches(std::u16string_view pattern, std::u16string_view name)
{
    // "*.*" matches every name, with or without a dot, as on Windows.
    if (pattern == u"*.*")
        return true;
    std::size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || CharUpperChar(pattern[p]) == CharUpperChar(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

FILETIME ToFileTime(const struct timespec& ts)
{
    // 100-nanosecond intervals since 1 January 1601.
    ULONGLONG ticks = (static_cast<ULONGLONG>(ts.tv_sec) + 11644473600ULL) * 10000000ULL
        + static_cast<ULONGLONG>(ts.tv_nsec) / 100;
    return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

void Fill(const Entry& entry, LPWIN32_FIND_DATAW data)
{
    *data = {};
    bool dir = S_ISDIR(entry.st.st_mode);
    data->dwFileAttributes = dir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((entry.st.st_mode & 0222) == 0)
        data->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    data->ftCreationTime = ToFileTime(entry.st.st_ctim);
    data->ftLastAccessTime = ToFileTime(entry.st.st_atim);
    data->ftLastWriteTime = ToFileTime(entry.st.st_mtim);
    ULONGLONG size = dir ? 0 : static_cast<ULONGLONG>(entry.st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
    lstrcpynW(data->cFileName, entry.name.c_str(), MAX_PATH);
}

// A folder's "." and "..", where the pattern takes them.
void AddDots(FindObject& find, std::u16string_view pattern, const struct stat& folder)
{
    for (const char16_t* dots : {u".", u".."}) {
        Entry e{dots, folder};
        if (Matches(pattern, e.name))
            find.entries.push_back(std::move(e));
    }
}

// Hands out a search with its first entry, or fails when nothing matched.
HANDLE FirstFound(const std::shared_ptr<FindObject>& find, LPWIN32_FIND_DATAW findData)
{
    if (find->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    Fill(find->entries[0], findData);
    find->next = 1;
    return win32::InsertHandle(find);
}

} // namespace

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData)
{
    std::u16string_view spec(fileName ? fileName : u"");
    std::size_t slash = spec.find_last_of(u"\\/");
    std::u16string folder = slash == std::u16string_view::npos ? u"." : std::u16string(spec.substr(0, slash + 1));
    std::u16string pattern(slash == std::u16string_view::npos ? spec : spec.substr(slash + 1));
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    LONG error = 0;
    auto resolved = win32::ResolvePathText(folder, win32::Resolve::Existing, &error);
    // The folder's own times come from its look-up when that stat-ed it,
    // else from the one open that lists it.
    const bool known = resolved && resolved->statusKnown && S_ISDIR(resolved->status.st_mode);
    // A folder kept empty (a working folder emptied per item) needs no
    // listing: only its "." and ".." are found.
    if (known && resolved->windowsPath.size() > 3
        && win32::KeptFolderContents(resolved->hostPath, resolved->status.st_dev, resolved->status.st_ino)
               == win32::FolderContents::Empty) {
        auto find = std::make_shared<FindObject>();
        AddDots(*find, pattern, resolved->status);
        return FirstFound(find, findData);
    }
    DIR* dir = known ? TakeKeptFolder(resolved->status) : nullptr;
    if (!dir && resolved)
        dir = ::opendir(resolved->hostPath.c_str());
    struct stat folderStat = {};
    if (dir && known)
        folderStat = resolved->status;
    else if (dir && ::fstat(::dirfd(dir), &folderStat) != 0)
        folderStat.st_mode = 0;
    if (!dir || !S_ISDIR(folderStat.st_mode)) {
        if (dir)
            ::closedir(dir);
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    auto find = std::make_shared<FindObject>();
    bool isDriveRoot = resolved->windowsPath.size() == 3;
    if (!isDriveRoot)
        AddDots(*find, pattern, folderStat);
    // One listing of the folder; only the names that match are looked up.
    while (const dirent* host = ::readdir(dir)) {
        const std::string_view hostName = host->d_name;
        if (hostName == "." || hostName == "..")
            continue;
        Entry e{Utf8ToUtf16(hostName), {}};
        if (e.name.size() >= static_cast<std::size_t>(MAX_PATH) || e.name.starts_with(u".share.lock"))
            continue;
        if (Matches(pattern, e.name) && ::fstatat(::dirfd(dir), host->d_name, &e.st, 0) == 0)
            find->entries.push_back(std::move(e));
    }
    if (known)
        KeepFolder(dir, folderStat);
    else
        ::closedir(dir);
    return FirstFound(find, findData);
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData)
{
    auto find = win32::LookupHandleAs<FindObject>(findFile);
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (find->next >= find->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(find->entries[find->next++], findData);
    return TRUE;
}

BOOL FindClose(HANDLE findFile)
{
    if (!win32::LookupHandleAs<FindObject>(findFile)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(findFile);
}
