#include "HostChildren.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

HostChildren::HostChildren()
{
    m_lock = ::open("/tmp/marlwick-closer-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_lock >= 0)
        ::flock(m_lock, LOCK_EX);
    std::string pattern = (fs::temp_directory_path() / "marlwick-closer-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        m_folder = pattern;
}

HostChildren::~HostChildren()
{
    for (auto& child : m_children) {
        if (!child.reaped) {
            ::kill(child.pid, SIGKILL);
            ::waitpid(child.pid, nullptr, 0);
        }
    }
    std::error_code ec;
    if (!m_folder.empty())
        fs::remove_all(m_folder, ec);
    if (m_lock >= 0)
        ::close(m_lock); // releases the lock
}

pid_t HostChildren::Start(const std::string& name)
{
    return StartAt(m_folder / name);
}

pid_t HostChildren::StartAt(const fs::path& program)
{
    const std::string name = program.filename().string();
    std::error_code ec;
    fs::create_directories(program.parent_path(), ec);
    if (!fs::exists(program))
        fs::copy_file("/bin/sleep", program, ec);
    std::string path = program.string();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(path.c_str(), path.c_str(), "600", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid > 0)
        m_children.push_back({pid, false, 0});
    // The child shows under its own name once it has replaced our image; a
    // loaded machine may take seconds over the exec.
    for (int i = 0; pid > 0 && i < 6000; ++i) {
        char target[4096] = {};
        ssize_t got = ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target - 1);
        if (got > 0 && fs::path(std::string(target, static_cast<std::size_t>(got))).filename() == name)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
}

HostChildren::Child* HostChildren::Find(pid_t pid)
{
    for (auto& child : m_children) {
        if (child.pid == pid)
            return &child;
    }
    return nullptr;
}

const HostChildren::Child* HostChildren::Find(pid_t pid) const
{
    return const_cast<HostChildren*>(this)->Find(pid);
}

bool HostChildren::EndsWithin(pid_t pid)
{
    Child* child = Find(pid);
    if (!child)
        return false;
    for (int i = 0; !child->reaped && i < 6000; ++i) {
        if (::waitpid(pid, &child->status, WNOHANG) == pid)
            child->reaped = true;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return child->reaped;
}

bool HostChildren::Running(pid_t pid)
{
    Child* child = Find(pid);
    if (!child || child->reaped)
        return false;
    siginfo_t info = {};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

void HostChildren::KillWithoutReaping(pid_t pid)
{
    ::kill(pid, SIGKILL);
    siginfo_t info = {};
    ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
}

int HostChildren::EndSignal(pid_t pid) const
{
    const Child* child = Find(pid);
    if (!child || !child->reaped || !WIFSIGNALED(child->status))
        return 0;
    return WTERMSIG(child->status);
}
