#include "KillHarness.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace mapitest {

KilledWriter RunAndKill(const std::function<void(int out)>& writer, std::size_t firstReports, unsigned microseconds)
{
    KilledWriter result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        writer(fds[1]);
        _exit(99);
    }
    close(fds[1]);
    if (child < 0) {
        close(fds[0]);
        return result;
    }
    std::uint32_t value = 0;
    while (result.reported.size() < firstReports && read(fds[0], &value, sizeof value) == sizeof value)
        result.reported.push_back(value);
    usleep(microseconds);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    result.killed = WIFSIGNALED(status);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    while (read(fds[0], &value, sizeof value) == sizeof value)
        result.reported.push_back(value);
    close(fds[0]);
    return result;
}

} // namespace mapitest
