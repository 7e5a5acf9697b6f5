#include "FakeProcessTable.h"
#include "HostChildren.h"

#include "afx/Ctl3d.h"
#include "closer/CStavrelApp.h"
#include "testsupport/MachineFixture.h"
#include "user/Window.h"
#include "win32/Shell.h"

#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Runs the built program as a user would start it and gives its exit code,
// or -1 when it did not exit by itself.
int RunStavrel(std::vector<std::string> arguments = {}, std::vector<std::string> environment = {})
{
    std::vector<std::string> argStorage{STAVREL_PROGRAM};
    argStorage.insert(argStorage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : argStorage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        envp.push_back(*e);
    for (auto& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid == 0) {
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class StavrelInProcess : public testsupport::MachineFixture {
protected:
    void TearDown() override
    {
        win32::SetProcessTable(nullptr);
        MachineFixture::TearDown();
    }
};

TEST_F(StavrelInProcess, StartUpEndsOutlookAndExitsWithZeroInsteadOfRunning)
{
    auto table = std::make_shared<FakeProcessTable>();
    table->Add(1, "init");
    table->Add(30, "OUTLOOK.EXE");
    table->Add(31, "OUTLOOK.EXE");
    win32::SetProcessTable(table);

    auto windows = [] {
        int n = 0;
        ::EnumWindows(
            [](HWND, LPARAM count) {
                ++*reinterpret_cast<int*>(count);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&n));
        return n;
    };
    const int before = windows();
    CStavrelApp app;
    try {
        app.InitInstance();
        ADD_FAILURE() << "InitInstance returned";
    } catch (const testsupport::ProcessExit& end) {
        EXPECT_EQ(end.code, 0);
    }
    ASSERT_EQ(table->terminated.size(), 1u);
    EXPECT_EQ(table->terminated[0], std::make_pair(DWORD{30}, UINT{1}));
    EXPECT_TRUE(AfxControlContainerEnabled());
    EXPECT_TRUE(Afx3dControlsEnabled());
    EXPECT_EQ(windows(), before) << "no window is made";
}

// The built program over the host's real processes.
class StavrelProgram : public testsupport::MachineFixture {
protected:
    HostChildren m_children;
};

TEST_F(StavrelProgram, EndsTheRunningOutlookAndNothingElseAndIgnoresItsArguments)
{
    pid_t outlook = m_children.Start("OUTLOOK.EXE");
    pid_t other = m_children.Start("WINWORD.EXE");
    EXPECT_EQ(RunStavrel({"/quit", "OUTLOOK.EXE"}), 0);
    ASSERT_TRUE(m_children.EndsWithin(outlook));
    EXPECT_EQ(m_children.EndSignal(outlook), SIGKILL);
    EXPECT_TRUE(m_children.Running(other));
}

TEST_F(StavrelProgram, WithNoOutlookRunningItDoesNothingAndExitsWithZero)
{
    pid_t other = m_children.Start("outlook.exe.old");
    EXPECT_EQ(RunStavrel(), 0);
    EXPECT_TRUE(m_children.Running(other));
}

TEST_F(StavrelProgram, MatchesTheNameInAnyCaseAndPassesOverAnOutlookThatHasAlreadyEnded)
{
    pid_t ended = m_children.Start("OUTLOOK.EXE");
    m_children.KillWithoutReaping(ended);
    pid_t outlook = m_children.Start("Outlook.Exe");
    EXPECT_EQ(RunStavrel(), 0);
    EXPECT_TRUE(m_children.EndsWithin(outlook));
}

TEST_F(StavrelProgram, TheNt4WayEndsOutlookToo)
{
    pid_t outlook = m_children.Start("OUTLOOK.EXE");
    pid_t other = m_children.Start("explorer.exe");
    EXPECT_EQ(RunStavrel({}, {"MARLWICK_WINVER=4.0.1381"}), 0);
    EXPECT_TRUE(m_children.EndsWithin(outlook));
    EXPECT_TRUE(m_children.Running(other));
}

TEST_F(StavrelProgram, TheShellStartsItFromTheInstallFolderAsTheCompletionDialogDoes)
{
    auto installed = Host(u"C:\\Program Files\\Pellinor\\Stavrel.exe");
    std::filesystem::create_directories(installed.parent_path());
    std::filesystem::copy_file(STAVREL_PROGRAM, installed);
    pid_t outlook = m_children.Start("OUTLOOK.EXE");

    HINSTANCE result = ShellExecuteW(nullptr, u"open", u"C:\\Program Files\\Pellinor\\Stavrel.exe", nullptr,
                                     nullptr, SW_SHOWNORMAL);
    EXPECT_GT(reinterpret_cast<std::intptr_t>(result), 32);
    EXPECT_TRUE(m_children.EndsWithin(outlook));
    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].file, u"C:\\Program Files\\Pellinor\\Stavrel.exe");
}

} // namespace
