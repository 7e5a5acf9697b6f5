// The host's processes from /proc. Each process directory gives its parent
// and state (stat), owner and thread count (status), executable (the exe
// link) and, when the executable cannot be read (kernel threads, processes of
// other users), its name (comm, which the kernel cuts to 15 bytes).
#include "win32/MachineRoot.h"
#include "win32/ProcessTable.h"
#include "win32/WideString.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ParseNumber(std::string_view text, DWORD* value)
{
    if (text.empty() || text.size() > 10)
        return false;
    unsigned long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (n > 0xFFFFFFFFull)
        return false;
    *value = static_cast<DWORD>(n);
    return true;
}

// The state letter and parent id from /proc/<id>/stat. The name in
// parentheses may itself hold spaces and parentheses, so the fields are read
// after the last ')'.
bool ReadStat(const std::string& folder, char* state, DWORD* parent)
{
    std::string stat = ReadSmallFile(folder + "/stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream fields(stat.substr(close + 1));
    std::string parentText;
    if (!(fields >> *state >> parentText))
        return false;
    return ParseNumber(parentText, parent);
}

// The real uid and the thread count from /proc/<id>/status.
bool ReadStatus(const std::string& folder, std::uint32_t* owner, DWORD* threads)
{
    std::istringstream status(ReadSmallFile(folder + "/status"));
    bool haveOwner = false;
    std::string line;
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "Uid:") {
            std::string uid;
            DWORD value = 0;
            if (fields >> uid && ParseNumber(uid, &value)) {
                *owner = value;
                haveOwner = true;
            }
        } else if (key == "Threads:") {
            std::string count;
            DWORD value = 0;
            if (fields >> count && ParseNumber(count, &value))
                *threads = value;
        }
    }
    return haveOwner;
}

std::string ReadExecutable(const std::string& folder)
{
    std::string target(4096, '\0');
    ssize_t got = ::readlink((folder + "/exe").c_str(), target.data(), target.size());
    if (got <= 0 || static_cast<std::size_t>(got) >= target.size())
        return {};
    target.resize(static_cast<std::size_t>(got));
    // An executable replaced or removed since the start keeps its old name.
    constexpr std::string_view deleted = " (deleted)";
    if (target.size() > deleted.size() && target.ends_with(deleted))
        target.resize(target.size() - deleted.size());
    return target;
}

std::string ImagePathOf(const std::string& hostPath)
{
    if (auto windows = win32::WindowsPathOf(hostPath))
        return Utf16ToUtf8(*windows);
    return hostPath;
}

std::optional<win32::ProcessRecord> ReadProcess(DWORD id)
{
    std::string folder = "/proc/" + std::to_string(id);
    win32::ProcessRecord record;
    record.id = id;
    char state = 0;
    if (!ReadStat(folder, &state, &record.parentId))
        return std::nullopt; // ended while we looked
    if (state == 'Z' || state == 'X')
        return std::nullopt;
    if (!ReadStatus(folder, &record.owner, &record.threads))
        return std::nullopt;
    std::string executable = ReadExecutable(folder);
    if (!executable.empty()) {
        record.imagePath = ImagePathOf(executable);
        record.name = fs::path(executable).filename().string();
    } else {
        record.name = ReadSmallFile(folder + "/comm");
        while (!record.name.empty() && (record.name.back() == '\n' || record.name.back() == '\0'))
            record.name.pop_back();
    }
    return record;
}

// Holds the process by a pid file descriptor where the kernel has them, so
// that the signal reaches the process that was opened and no other.
class HostProcessLink : public win32::ProcessLink {
public:
    HostProcessLink(pid_t pid, int pidfd)
        : m_pid(pid)
        , m_pidfd(pidfd)
    {
    }
    ~HostProcessLink() override
    {
        if (m_pidfd >= 0)
            ::close(m_pidfd);
    }
    bool Terminate(UINT) override
    {
        // The host has no way to give another process an exit code: it ends
        // by SIGKILL, which it can neither catch nor delay, as TerminateProcess
        // ends a process.
        if (m_pidfd >= 0)
            return ::syscall(SYS_pidfd_send_signal, m_pidfd, SIGKILL, nullptr, 0) == 0;
        return ::kill(m_pid, SIGKILL) == 0;
    }

private:
    pid_t m_pid;
    int m_pidfd;
};

class HostProcessTable : public win32::ProcessTable {
public:
    std::vector<win32::ProcessRecord> List() override
    {
        std::vector<DWORD> ids;
        if (DIR* proc = ::opendir("/proc")) {
            while (dirent* entry = ::readdir(proc)) {
                DWORD id = 0;
                if (ParseNumber(entry->d_name, &id))
                    ids.push_back(id);
            }
            ::closedir(proc);
        }
        std::sort(ids.begin(), ids.end());
        std::vector<win32::ProcessRecord> records;
        for (DWORD id : ids) {
            if (auto record = ReadProcess(id))
                records.push_back(std::move(*record));
        }
        return records;
    }

    std::optional<win32::ProcessRecord> Find(DWORD id) override
    {
        if (id == 0)
            return std::nullopt;
        return ReadProcess(id);
    }

    std::uint32_t CurrentUser() override { return static_cast<std::uint32_t>(::getuid()); }

    std::unique_ptr<win32::ProcessLink> Open(DWORD id) override
    {
        if (id == 0 || id > 0x7FFFFFFF)
            return nullptr;
        pid_t pid = static_cast<pid_t>(id);
        long fd = ::syscall(SYS_pidfd_open, pid, 0);
        if (fd < 0 && errno != ENOSYS)
            return nullptr;
        // Opened, but the process may have ended in between and wait to be reaped.
        if (!ReadProcess(id)) {
            if (fd >= 0)
                ::close(static_cast<int>(fd));
            return nullptr;
        }
        return std::make_unique<HostProcessLink>(pid, static_cast<int>(fd));
    }
};

} // namespace

namespace win32 {

std::shared_ptr<ProcessTable> MakeHostProcessTable()
{
    return std::make_shared<HostProcessTable>();
}

} // namespace win32
