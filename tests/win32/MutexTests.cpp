#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"
#include "win32/Mutex.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr LPCWSTR kName = u"Marlwick test mutex";

class MutexTest : public testsupport::MachineFixture {
protected:
    // What CreateMutexW of `name` reports in another process of this machine
    // root: 1 when the mutex existed there, 0 when that process made it.
    static int ExistedInAnotherProcess(LPCWSTR name)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
            ::_exit(!mutex ? 2 : GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(MutexTest, TheFirstHandleMakesTheMutexAndLaterOnesOpenIt)
{
    HANDLE first = CreateMutexW(nullptr, FALSE, kName);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateMutexW(nullptr, FALSE, kName);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ExistedInAnotherProcess(kName), 1);

    // The object lives while any handle does.
    CloseHandle(first);
    EXPECT_EQ(ExistedInAnotherProcess(kName), 1);
    CloseHandle(second);
    EXPECT_EQ(ExistedInAnotherProcess(kName), 0);
}

TEST_F(MutexTest, NamesAreCaseSensitiveAndTheNamespacePrefixesNameOneNamespace)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, u"Global\\One/Run");
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(ExistedInAnotherProcess(u"One/Run"), 1);
    EXPECT_EQ(ExistedInAnotherProcess(u"Local\\One/Run"), 1);
    EXPECT_EQ(ExistedInAnotherProcess(u"one/run"), 0);
    EXPECT_EQ(ExistedInAnotherProcess(u"One%2FRun"), 0);
    CloseHandle(mutex);

    // Unnamed mutexes are never shared.
    HANDLE a = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE b = CreateMutexW(nullptr, FALSE, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(a, b);
    CloseHandle(a);
    CloseHandle(b);
}

TEST_F(MutexTest, AKilledHolderLetsGoOfTheMutex)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        char made = CreateMutexW(nullptr, FALSE, kName) && GetLastError() == ERROR_SUCCESS ? 'y' : 'n';
        (void)!::write(ready[1], &made, 1);
        for (;;)
            ::pause();
    }
    char made = 0;
    ASSERT_EQ(::read(ready[0], &made, 1), 1);
    EXPECT_EQ(made, 'y');
    EXPECT_EQ(ExistedInAnotherProcess(kName), 1);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(ExistedInAnotherProcess(kName), 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(MutexTest, OnlyTheOwningThreadReleasesAndOnlyTheMakerOwnsInitially)
{
    HANDLE made = CreateMutexW(nullptr, TRUE, kName);
    HANDLE opened = CreateMutexW(nullptr, TRUE, kName);
    EXPECT_TRUE(ReleaseMutex(made));
    EXPECT_FALSE(ReleaseMutex(made));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_FALSE(ReleaseMutex(opened));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    CloseHandle(made);
    CloseHandle(opened);
    EXPECT_FALSE(ReleaseMutex(made));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
