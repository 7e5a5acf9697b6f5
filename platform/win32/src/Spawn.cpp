#include "win32/Spawn.h"

#include "win32/MachineRoot.h"
#include "win32/Process.h"
#include "win32/StartAffinity.h"
#include "win32/WideString.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// Starts the program with the command line in MARLWICK_CMDLINE; the child's
// pid, or -1.
pid_t Start(const std::filesystem::path& program, const std::u16string& commandLine)
{
    std::vector<std::string> argStorage{program.string()};
    auto args = win32::SplitCommandLine(commandLine);
    for (std::size_t i = 1; i < args.size(); ++i)
        argStorage.push_back(Utf16ToUtf8(args[i]));
    std::vector<char*> argv;
    for (auto& a : argStorage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::string cmdlineEntry = "MARLWICK_CMDLINE=" + Utf16ToUtf8(commandLine);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "MARLWICK_CMDLINE=", 17) != 0)
            envp.push_back(*e);
    }
    envp.push_back(cmdlineEntry.data());
    envp.push_back(nullptr);

    pid_t child = -1;
    if (::posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    win32::TakeStartAffinity(child);
    return child;
}

int Wait(pid_t child)
{
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(child, &status, 0);
    } while (got < 0 && errno == EINTR);
    if (got != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

namespace win32 {

int RunAndWait(const std::filesystem::path& program, const std::u16string& commandLine)
{
    pid_t child = Start(program, commandLine);
    return child < 0 ? -1 : Wait(child);
}

} // namespace win32

intptr_t _wspawnv(int mode, const WCHAR* path, const WCHAR* const* argv)
{
    if (!path || !argv || !argv[0] || (mode != _P_WAIT && mode != _P_NOWAIT)) {
        errno = EINVAL;
        return -1;
    }
    auto found = win32::ResolvePath(path, win32::Resolve::Existing);
    if (!found) {
        errno = ENOENT;
        return -1;
    }
    std::u16string line;
    for (const WCHAR* const* arg = argv; *arg; ++arg) {
        if (arg != argv)
            line += u' ';
        line += *arg;
    }
    pid_t child = Start(found->hostPath, line);
    if (child < 0) {
        errno = ENOEXEC;
        return -1;
    }
    return mode == _P_WAIT ? Wait(child) : child;
}

intptr_t _wspawnl(int mode, const WCHAR* path, const WCHAR* arg0, ...)
{
    std::vector<const WCHAR*> argv{arg0};
    va_list args;
    va_start(args, arg0);
    while (argv.back())
        argv.push_back(va_arg(args, const WCHAR*));
    va_end(args);
    return _wspawnv(mode, path, argv.data());
}
