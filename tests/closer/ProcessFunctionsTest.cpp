#include "FakeProcessTable.h"
#include "HostChildren.h"

#include "testsupport/AnsiCodePage.h"
#include "win32/FileApi.h"
#include "win32/Process.h"
#include "win32/ProcessControl.h"
#include "win32/Psapi.h"
#include "win32/ToolHelp.h"

#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A Windows-1252 machine: the narrow names are in its code page.
class FakeProcesses : public testsupport::Machine1252Fixture {
protected:
    void SetUp() override
    {
        Machine1252Fixture::SetUp();
        m_table = std::make_shared<FakeProcessTable>();
        win32::SetProcessTable(m_table);
    }
    void TearDown() override
    {
        win32::SetProcessTable(nullptr);
        Machine1252Fixture::TearDown();
    }

    std::shared_ptr<FakeProcessTable> m_table;
};

TEST_F(FakeProcesses, ASnapshotIsACopyReadInIdOrderUntilItRunsOut)
{
    m_table->Add(1, "init");
    m_table->Add(40, "OUTLOOK.EXE");
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    m_table->Add(41, "later.exe");

    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    ASSERT_TRUE(Process32First(snapshot, &entry));
    EXPECT_EQ(entry.th32ProcessID, 1u);
    EXPECT_STREQ(entry.szExeFile, "init");
    ASSERT_TRUE(Process32Next(snapshot, &entry));
    EXPECT_EQ(entry.th32ProcessID, 40u);
    EXPECT_EQ(entry.th32ParentProcessID, 1u);
    EXPECT_STREQ(entry.szExeFile, "OUTLOOK.EXE");
    EXPECT_FALSE(Process32Next(snapshot, &entry));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    // Reading from the first entry again starts over.
    ASSERT_TRUE(Process32First(snapshot, &entry));
    EXPECT_EQ(entry.th32ProcessID, 1u);
    EXPECT_TRUE(CloseHandle(snapshot));
    EXPECT_FALSE(Process32First(snapshot, &entry));
}

TEST_F(FakeProcesses, EntriesNeedTheirSizeAndNamesAreCutToTheArrayInTheAnsiCodePage)
{
    m_table->Add(7, std::string(400, 'n'));
    m_table->Add(8, "\xE2\x82\xAC-\xE4\xB8\xAD.exe"); // "€-中.exe" in UTF-8
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry - 4;
    EXPECT_FALSE(Process32First(snapshot, &entry));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));

    entry.dwSize = sizeof entry;
    ASSERT_TRUE(Process32First(snapshot, &entry));
    EXPECT_EQ(std::string(entry.szExeFile), std::string(MAX_PATH - 1, 'n'));
    ASSERT_TRUE(Process32Next(snapshot, &entry));
    EXPECT_STREQ(entry.szExeFile, "\x80-?.exe");
    CloseHandle(snapshot);

    HANDLE threadsOnly = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    EXPECT_FALSE(Process32First(threadsOnly, &entry));
    CloseHandle(threadsOnly);
}

TEST_F(FakeProcesses, OnlyTheOwnersProcessesOpenForMoreThanAQuery)
{
    m_table->Add(10, "mine.exe");
    m_table->Add(11, "theirs.exe", {}, FakeProcessTable::kOtherUser);

    EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, 11), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenProcess(PROCESS_TERMINATE, FALSE, 11), nullptr);
    HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 11);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(GetProcessId(query), 11u);
    EXPECT_FALSE(TerminateProcess(query, 1)); // the handle lacks the right
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(query);

    EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 12), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    HANDLE mine = OpenProcess(PROCESS_ALL_ACCESS, FALSE, 10);
    ASSERT_NE(mine, nullptr);
    EXPECT_TRUE(TerminateProcess(mine, 7));
    CloseHandle(mine);
    ASSERT_EQ(m_table->terminated.size(), 1u);
    EXPECT_EQ(m_table->terminated[0], std::make_pair(DWORD{10}, UINT{7}));
    EXPECT_FALSE(m_table->Find(10));
}

TEST_F(FakeProcesses, PsapiListsIdsIntoTheRoomGivenAndNamesTheExecutable)
{
    m_table->AddKernelThread(1, "kthreadd");
    m_table->Add(2, "OUTLOOK.EXE", "D:\\Office\\OUTLOOK.EXE");
    m_table->Add(3, "x.exe");
    DWORD ids[2] = {};
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcesses(ids, sizeof ids, &bytes));
    EXPECT_EQ(bytes, sizeof ids);
    EXPECT_EQ(ids[1], 2u);

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, 2);
    HMODULE modules[4] = {};
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(process, modules, sizeof modules, &needed));
    EXPECT_EQ(needed, sizeof(HMODULE));
    char path[MAX_PATH] = {};
    EXPECT_EQ(GetModuleFileNameExA(process, modules[0], path, sizeof path), 21u);
    EXPECT_STREQ(path, "D:\\Office\\OUTLOOK.EXE");
    char cut[8] = {};
    EXPECT_EQ(GetModuleFileNameExA(process, nullptr, cut, sizeof cut), 7u);
    EXPECT_STREQ(cut, "D:\\Offi");
    char base[MAX_PATH] = {};
    EXPECT_GT(GetModuleBaseNameA(process, modules[0], base, sizeof base), 0u);
    EXPECT_STREQ(base, "OUTLOOK.EXE");
    CloseHandle(process);

    // Without VM_READ the modules cannot be read.
    HANDLE queryOnly = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 2);
    EXPECT_FALSE(EnumProcessModules(queryOnly, modules, sizeof modules, &needed));
    CloseHandle(queryOnly);
}

TEST_F(FakeProcesses, AProcessWithoutAnExecutableListsNoModules)
{
    m_table->AddKernelThread(5, "kworker");
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, 5);
    ASSERT_NE(process, nullptr);
    HMODULE module = nullptr;
    DWORD needed = 0;
    EXPECT_FALSE(EnumProcessModules(process, &module, sizeof module, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PARTIAL_COPY));
    char name[MAX_PATH] = {};
    EXPECT_EQ(GetModuleBaseNameA(process, nullptr, name, sizeof name), 0u);
    CloseHandle(process);
}

// The host's table, over real processes.
class HostProcesses : public testsupport::MachineFixture {
protected:
    // The snapshot entry of a process, if it is listed.
    static std::optional<PROCESSENTRY32> Entry(pid_t pid)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        std::optional<PROCESSENTRY32> found;
        DWORD previous = 0;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            EXPECT_GT(entry.th32ProcessID, previous); // ascending ids
            previous = entry.th32ProcessID;
            if (entry.th32ProcessID == static_cast<DWORD>(pid))
                found = entry;
        }
        CloseHandle(snapshot);
        return found;
    }

    HostChildren m_children;
};

TEST_F(HostProcesses, ListsLiveChildrenWithTheirWholeNameAndParentButNotTheDead)
{
    pid_t longName = m_children.Start("a-name-longer-than-fifteen.exe");
    pid_t zombie = m_children.Start("zombie.exe");
    m_children.KillWithoutReaping(zombie);

    auto entry = Entry(longName);
    ASSERT_TRUE(entry);
    EXPECT_STREQ(entry->szExeFile, "a-name-longer-than-fifteen.exe");
    EXPECT_EQ(entry->th32ParentProcessID, static_cast<DWORD>(::getpid()));
    EXPECT_FALSE(Entry(zombie));
    EXPECT_EQ(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(zombie)), nullptr);

    auto first = Entry(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(Entry(static_cast<pid_t>(::getpid()))->th32ProcessID, static_cast<DWORD>(::getpid()));
}

TEST_F(HostProcesses, AProgramRemovedAfterItStartedKeepsItsName)
{
    pid_t child = m_children.Start("removed.exe");
    std::filesystem::remove(m_children.Folder() / "removed.exe");
    auto entry = Entry(child);
    ASSERT_TRUE(entry);
    EXPECT_STREQ(entry->szExeFile, "removed.exe");
}

TEST_F(HostProcesses, TerminatingOneOfOurOwnKillsItAndAProgramOfTheRootShowsItsWindowsPath)
{
    pid_t child = m_children.StartAt(Host(u"C:\\Program Files\\Office\\OUTLOOK.EXE"));
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, static_cast<DWORD>(child));
    ASSERT_NE(process, nullptr);
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameExA(process, nullptr, path, sizeof path), 0u);
    EXPECT_STREQ(path, "C:\\Program Files\\Office\\OUTLOOK.EXE");

    EXPECT_TRUE(TerminateProcess(process, 1));
    CloseHandle(process);
    ASSERT_TRUE(m_children.EndsWithin(child));
    EXPECT_EQ(m_children.EndSignal(child), SIGKILL);
}

TEST_F(HostProcesses, TerminatingTheOwnProcessEndsItWithItsExitCode)
{
    HANDLE self = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    int code = -1;
    try {
        TerminateProcess(self, 7);
    } catch (const testsupport::ProcessExit& exit) {
        code = exit.code;
    }
    EXPECT_EQ(code, 7);
    CloseHandle(self);
}

} // namespace
