// The scripts a person starts with: start.sh without a display tells how to
// see the program and ends with it; setup.sh without root or sudo says what
// to run as root.
#include "ToolsFixture.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A child process with its stderr on a pipe.
struct Child {
    pid_t pid = -1;
    int err = -1;
};

Child Start(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& set,
            const std::vector<std::string>& unset)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        for (const auto& name : unset)
            unsetenv(name.c_str());
        for (const auto& [name, value] : set)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    return {pid, pipeFds[0]};
}

// Reads the child's stderr until it holds every text, or ends; what it read.
std::string ReadUntil(int fd, const std::vector<std::string>& texts, std::chrono::seconds limit)
{
    std::string seen;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto all = [&] {
        for (const auto& t : texts)
            if (seen.find(t) == std::string::npos)
                return false;
        return true;
    };
    while (!all() && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0)
            continue;
        char buffer[512];
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    return seen;
}

// The child's wait status once it has ended, or -1 when it does not.
int WaitForEnd(pid_t pid, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        pid_t got = waitpid(pid, &status, WNOHANG);
        if (got == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

} // namespace

class StartScriptTest : public ToolsFixture {};

TEST_F(StartScriptTest, WithoutADisplayStartTellsHowToSeeTheProgramAndEndsOnSigterm)
{
    Child child = Start({"/bin/bash", MARLWICK_SOURCE_DIR "/scripts/start.sh", "--no-build"},
                        {{"MARLWICK_ROOT", m_root.string()}, {"MARLWICK_BUILD_DIR", MARLWICK_BUILD_DIR}},
                        {"DISPLAY", "MARLWICK_DISPLAY", "MARLWICK_SCRIPT"});
    ASSERT_GT(child.pid, 0);
    // The script's notice, then the program's own once its screen is chosen.
    const std::string script = "start.sh: DISPLAY is not set, so Marlwick will run headless";
    const std::string program = "Marlwick: DISPLAY is not set, so it runs headless";
    std::string err = ReadUntil(child.err, {script, program}, std::chrono::seconds(120));
    EXPECT_NE(err.find(script), std::string::npos) << err;
    EXPECT_NE(err.find(program), std::string::npos) << err;
    EXPECT_NE(err.find("MARLWICK_SCRIPT"), std::string::npos) << err;
    EXPECT_NE(err.find("X server"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(Host(u"C:\\Program Files\\Pellinor\\main.bmp"))) << "the machine was laid out";

    kill(child.pid, SIGTERM);
    int status = WaitForEnd(child.pid, std::chrono::seconds(60));
    close(child.err);
    ASSERT_NE(status, -1) << "the program did not end on SIGTERM";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}

TEST_F(StartScriptTest, SetupWithoutRootOrSudoSaysWhatToRunAsRoot)
{
    // A machine where nothing is installed, the user is not root and there
    // is no sudo.
    fs::path bin = m_root / "bin";
    fs::create_directories(bin);
    WriteHostFile(bin / "id", "#!/bin/sh\necho 1000\n");
    WriteHostFile(bin / "dpkg-query", "#!/bin/sh\nexit 1\n");
    for (const char* tool : {"id", "dpkg-query"})
        fs::permissions(bin / tool, fs::perms::owner_all);
    fs::create_symlink("/bin/grep", bin / "grep");
    Child child = Start({"/bin/bash", MARLWICK_SOURCE_DIR "/scripts/setup.sh"}, {{"PATH", bin.string()}}, {});
    ASSERT_GT(child.pid, 0);
    std::string err = ReadUntil(child.err, {"then run this command again"}, std::chrono::seconds(60));
    int status = WaitForEnd(child.pid, std::chrono::seconds(60));
    close(child.err);
    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_EQ(WEXITSTATUS(status), 1) << err;
    EXPECT_NE(err.find("needs root, and this machine has no sudo"), std::string::npos) << err;
    EXPECT_NE(err.find("apt-get install -y --no-install-recommends build-essential cmake"), std::string::npos)
        << err;
    EXPECT_EQ(err.find("command not found"), std::string::npos) << err;
}
