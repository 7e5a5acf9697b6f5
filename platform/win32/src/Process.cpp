#include "win32/Process.h"

#include "win32/StartAffinity.h"
#include "win32/WideString.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

extern char** environ;

namespace {

std::mutex g_exitMutex;
std::function<void(int)> g_exitHook;
// Never destroyed: threads may still register while the process ends.
std::vector<std::function<void()>>& EndActions()
{
    static auto* actions = new std::vector<std::function<void()>>;
    return *actions;
}

std::u16string QuoteArgument(const std::u16string& arg)
{
    if (!arg.empty() && arg.find_first_of(u" \t\"") == std::u16string::npos)
        return arg;
    std::u16string out = u"\"";
    for (char16_t c : arg) {
        if (c == u'"')
            out += u'\\';
        out += c;
    }
    return out + u"\"";
}

// The command line as the starter gave it, or rebuilt from the host's argv.
std::u16string MakeCommandLine()
{
    if (const char* given = std::getenv("MARLWICK_CMDLINE"))
        return Utf8ToUtf16(given);
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string line;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        if (!line.empty())
            line += u' ';
        line += QuoteArgument(Utf8ToUtf16(all.substr(start, end - start)));
        start = end + 1;
    }
    return line;
}

} // namespace

namespace win32 {

namespace {

void CallExitHook(int code)
{
    std::function<void(int)> hook;
    {
        std::lock_guard lock(g_exitMutex);
        hook = g_exitHook;
    }
    if (hook)
        hook(code);
}

} // namespace

void RuntimeExit(int code)
{
    CallExitHook(code);
    std::vector<std::function<void()>> actions;
    {
        std::lock_guard lock(g_exitMutex);
        actions.swap(EndActions());
    }
    for (auto it = actions.rbegin(); it != actions.rend(); ++it)
        (*it)();
    std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    // The runtime's own check runs from exit(), which is not called.
    __lsan_do_leak_check();
#endif
    // Not exit(): its destructors would free the platform's tables while
    // the other threads still use them.
    std::_Exit(code);
}

void AtProcessEnd(std::function<void()> action)
{
    std::lock_guard lock(g_exitMutex);
    EndActions().push_back(std::move(action));
}

void RuntimeTerminate(int code)
{
    CallExitHook(code);
    std::_Exit(code);
}

void SetProcessExitHook(std::function<void(int)> hook)
{
    std::lock_guard lock(g_exitMutex);
    g_exitHook = std::move(hook);
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view line)
{
    std::vector<std::u16string> args;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
            ++i;
        if (i >= line.size())
            break;
        std::u16string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != u' ' && line[i] != u'\t'))) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                arg.append(slashes / 2, u'\\');
                if (slashes % 2) {
                    arg += u'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    arg += u'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(slashes, u'\\');
                if (i < line.size() && (quoted || (line[i] != u' ' && line[i] != u'\t')))
                    arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

bool StartDetached(const std::filesystem::path& program, const std::u16string& commandLine,
                   const std::filesystem::path& workingFolder)
{
    // Everything the child needs is built before fork: after it, only
    // async-signal-safe calls are made.
    std::vector<std::string> argStorage{program.string()};
    auto args = SplitCommandLine(commandLine);
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
    std::string folder = workingFolder.string();

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        if (!folder.empty())
            (void)::chdir(folder.c_str());
        TakeStartAffinity();
        ::execve(argv[0], argv.data(), envp.data());
        int err = errno;
        (void)::write(report[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    int err = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace win32

LPCWSTR GetCommandLineW()
{
    static const std::u16string line = MakeCommandLine();
    return line.c_str();
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(::getpid());
}
