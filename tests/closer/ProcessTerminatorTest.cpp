#include "testsupport/AnsiCodePage.h"
#include "FakeProcessTable.h"

#include "closer/CProcessTerminator.h"
#include "win32/Module.h"
#include "win32/Psapi.h"
#include "win32/ToolHelp.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// Records every process the search reports, and can end the search at the
// report of a chosen process.
class RecordingTerminator : public CProcessTerminator {
public:
    BOOL OnProcessFound(LPCSTR processName, DWORD processId) override
    {
        reports.emplace_back(processName, processId);
        return processId == stopAt ? FALSE : TRUE;
    }
    bool UsesPsapi() const { return m_bUsePsapi != 0; }

    std::vector<std::pair<std::string, DWORD>> reports;
    DWORD stopAt = 0;
};

// A Windows-1252 machine: the narrow names are in its code page.
class TerminatorTest : public testsupport::Machine1252Fixture {
protected:
    void SetUp() override
    {
        Machine1252Fixture::SetUp();
        ::unsetenv("MARLWICK_WINVER");
        win32::ResetSystemModules();
        m_table = std::make_shared<FakeProcessTable>();
        win32::SetProcessTable(m_table);
    }
    void TearDown() override
    {
        win32::SetProcessTable(nullptr);
        win32::ResetSystemModules();
        ::unsetenv("MARLWICK_WINVER");
        Machine1252Fixture::TearDown();
    }
    static void RunOnNt4() { ::setenv("MARLWICK_WINVER", "4.0.1381", 1); }

    std::vector<DWORD> TerminatedIds() const
    {
        std::vector<DWORD> ids;
        for (auto& [id, code] : m_table->terminated) {
            EXPECT_EQ(code, 1u);
            ids.push_back(id);
        }
        return ids;
    }

    std::shared_ptr<FakeProcessTable> m_table;
};

TEST_F(TerminatorTest, ThePathFollowsTheWindowsVersion)
{
    EXPECT_FALSE(RecordingTerminator().UsesPsapi());
    RunOnNt4();
    EXPECT_TRUE(RecordingTerminator().UsesPsapi());
    ::setenv("MARLWICK_WINVER", "3.51.1057", 1);
    EXPECT_TRUE(RecordingTerminator().UsesPsapi());
    ::setenv("MARLWICK_WINVER", "9x 4.0.950", 1);
    EXPECT_FALSE(RecordingTerminator().UsesPsapi());
    ::setenv("MARLWICK_WINVER", "5.0.2195", 1);
    EXPECT_FALSE(RecordingTerminator().UsesPsapi());
}

TEST_F(TerminatorTest, ToolHelpEndsOnlyTheFirstMatchIgnoringCaseButNeverTheFirstEntry)
{
    m_table->Add(1, "OUTLOOK.EXE");
    m_table->Add(5, "notepad.exe");
    m_table->Add(9, "Outlook.exe");
    m_table->Add(12, "OUTLOOK.EXE");
    RecordingTerminator terminator;
    EXPECT_TRUE(terminator.LoadHelperLibraries());
    EXPECT_TRUE(terminator.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{9});

    // The whole first walk, then the second up to the match.
    std::vector<DWORD> reported;
    for (auto& r : terminator.reports)
        reported.push_back(r.second);
    EXPECT_EQ(reported, (std::vector<DWORD>{1, 5, 9, 12, 1, 5, 9}));
    EXPECT_EQ(terminator.reports[2].first, "Outlook.exe");
}

// Letters beyond ASCII are upper-cased in the ANSI code page too: the
// process's name arrives in it, and so is the wanted name given.
TEST_F(TerminatorTest, CaseIsIgnoredForTheAnsiCodePagesLettersToo)
{
    m_table->Add(1, "init");
    m_table->Add(6, "outl\xC3\xA9.exe"); // "outlé.exe" on the host
    m_table->Add(7, "outle.exe");
    RecordingTerminator terminator;
    EXPECT_TRUE(terminator.TerminateProcessByName("OUTL\xC9.EXE")); // "OUTLÉ.EXE" in Windows-1252
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{6});
}

TEST_F(TerminatorTest, ToolHelpWithoutAMatchOrWithOnlyTheFirstEntryMatchingEndsNothing)
{
    m_table->Add(1, "OUTLOOK.EXE");
    m_table->Add(2, "OUTLOOK.EXE.bak");
    m_table->Add(3, "OUTLOOK");
    EXPECT_TRUE(RecordingTerminator().TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_TRUE(m_table->terminated.empty());
}

TEST_F(TerminatorTest, AFalseReportStopsTheSearchInEitherWalk)
{
    m_table->Add(1, "init");
    m_table->Add(4, "OUTLOOK.EXE");
    m_table->Add(6, "x");

    RecordingTerminator inFirstWalk;
    inFirstWalk.stopAt = 1;
    EXPECT_TRUE(inFirstWalk.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(inFirstWalk.reports.size(), 1u);

    // Reports are made before the comparison: the match itself is spared.
    class StopInSecondWalk : public RecordingTerminator {
        BOOL OnProcessFound(LPCSTR name, DWORD id) override
        {
            RecordingTerminator::OnProcessFound(name, id);
            return reports.size() < 5 ? TRUE : FALSE;
        }
    } inSecondWalk;
    EXPECT_TRUE(inSecondWalk.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(inSecondWalk.reports.size(), 5u);
    EXPECT_TRUE(m_table->terminated.empty());
}

// ToolHelp finds the other user's Outlook first, cannot open it and stops;
// PSAPI cannot even read it, passes over it and ends the user's own.
TEST_F(TerminatorTest, AnOutlookOfAnotherUserIsSpared)
{
    m_table->Add(1, "init");
    m_table->Add(3, "OUTLOOK.EXE", {}, FakeProcessTable::kOtherUser);
    m_table->Add(8, "OUTLOOK.EXE");
    EXPECT_TRUE(RecordingTerminator().TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_TRUE(m_table->terminated.empty());
    EXPECT_TRUE(m_table->Find(3));

    RunOnNt4();
    RecordingTerminator nt4;
    ASSERT_TRUE(nt4.LoadHelperLibraries());
    EXPECT_TRUE(nt4.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{8});
}

TEST_F(TerminatorTest, AFailedTerminationStillCountsAsASearchThatRan)
{
    m_table->Add(1, "init");
    m_table->Add(2, "OUTLOOK.EXE");
    m_table->refuseTermination = true;
    EXPECT_TRUE(RecordingTerminator().TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_TRUE(m_table->Find(2));
}

TEST_F(TerminatorTest, AMissingToolHelpFunctionFailsTheSearch)
{
    m_table->Add(1, "init");
    m_table->Add(2, "OUTLOOK.EXE");
    win32::RegisterSystemModule("KERNEL32.DLL",
                                {{"CreateToolhelp32Snapshot", reinterpret_cast<FARPROC>(&CreateToolhelp32Snapshot)},
                                 {"Process32First", reinterpret_cast<FARPROC>(&Process32First)}},
                                true);
    RecordingTerminator terminator;
    EXPECT_FALSE(terminator.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_TRUE(terminator.reports.empty());
    EXPECT_TRUE(m_table->terminated.empty());
}

TEST_F(TerminatorTest, PsapiMatchesTheBaseNameInAnyFolderAndComparesTheFirstId)
{
    RunOnNt4();
    m_table->Add(2, "OUTLOOK.EXE", "E:\\Office97\\Office\\OUTLOOK.EXE");
    m_table->Add(3, "outlook.exe", "C:\\outlook.exe");
    m_table->AddKernelThread(4, "System");
    RecordingTerminator terminator;
    ASSERT_TRUE(terminator.LoadHelperLibraries());
    EXPECT_TRUE(terminator.TerminateProcessByName("C:\\Program Files\\Outlook.exe"));
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{2});
    ASSERT_EQ(terminator.reports.size(), 1u);
    EXPECT_EQ(terminator.reports[0].first, "E:\\Office97\\Office\\OUTLOOK.EXE");
}

TEST_F(TerminatorTest, PsapiPassesOverUnreadableProcessesAndLooksAtTheFirst1024Ids)
{
    RunOnNt4();
    auto fill = [&](DWORD outlookId) {
        m_table = std::make_shared<FakeProcessTable>();
        win32::SetProcessTable(m_table);
        m_table->AddKernelThread(1, "OUTLOOK.EXE");
        for (DWORD id = 2; id <= 1030; ++id)
            m_table->Add(id, id == outlookId ? "OUTLOOK.EXE" : "svc.exe");
    };
    fill(1025);
    RecordingTerminator beyond;
    ASSERT_TRUE(beyond.LoadHelperLibraries());
    EXPECT_TRUE(beyond.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_TRUE(m_table->terminated.empty());
    EXPECT_EQ(beyond.reports.size(), 1023u); // the unreadable first id is not reported

    fill(1024);
    RecordingTerminator within;
    ASSERT_TRUE(within.LoadHelperLibraries());
    EXPECT_TRUE(within.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{1024});
}

TEST_F(TerminatorTest, PsapiWithoutItsLibrariesOrFunctionsDoesNothing)
{
    RunOnNt4();
    m_table->Add(2, "OUTLOOK.EXE");
    win32::UnregisterSystemModule("VDMDBG.DLL");
    RecordingTerminator noVdm;
    EXPECT_FALSE(noVdm.LoadHelperLibraries());
    EXPECT_FALSE(noVdm.TerminateProcessByName("OUTLOOK.EXE"));

    win32::ResetSystemModules();
    win32::RegisterSystemModule("PSAPI.DLL", {}, false);
    RecordingTerminator noFunctions;
    EXPECT_TRUE(noFunctions.LoadHelperLibraries());
    EXPECT_FALSE(noFunctions.TerminateProcessByName("OUTLOOK.EXE"));

    RecordingTerminator notLoaded;
    EXPECT_FALSE(notLoaded.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_TRUE(m_table->terminated.empty());

    // The ToolHelp path needs neither library.
    ::unsetenv("MARLWICK_WINVER");
    win32::UnregisterSystemModule("PSAPI.DLL");
    EXPECT_TRUE(RecordingTerminator().LoadHelperLibraries());
}

TEST_F(TerminatorTest, TheLibrariesAreHeldUntilTheTerminatorGoes)
{
    RunOnNt4();
    {
        RecordingTerminator terminator;
        ASSERT_TRUE(terminator.LoadHelperLibraries());
        EXPECT_NE(GetModuleHandleA("PSAPI.DLL"), nullptr);
        EXPECT_NE(GetModuleHandleA("VDMDBG.DLL"), nullptr);
    }
    EXPECT_EQ(GetModuleHandleA("PSAPI.DLL"), nullptr);
    EXPECT_EQ(GetModuleHandleA("VDMDBG.DLL"), nullptr);
}

// Stand-ins for the system's process functions that fail on a chosen call
// and otherwise run the real ones.
int g_calls = 0;
int g_failingCall = 0;
bool FailsNow()
{
    return ++g_calls == g_failingCall;
}
HANDLE SnapshotFailingOnce(DWORD flags, DWORD processId)
{
    return FailsNow() ? INVALID_HANDLE_VALUE : CreateToolhelp32Snapshot(flags, processId);
}
BOOL FirstEntryFailingOnce(HANDLE snapshot, LPPROCESSENTRY32 entry)
{
    return FailsNow() ? FALSE : Process32First(snapshot, entry);
}
BOOL EnumProcessesFailing(DWORD*, DWORD, LPDWORD)
{
    return FALSE;
}
DWORD BaseNameUnreadable(HANDLE, HMODULE, LPSTR, DWORD)
{
    return 0;
}

class TerminatorFailures : public TerminatorTest {
protected:
    void SetUp() override
    {
        TerminatorTest::SetUp();
        g_calls = 0;
        g_failingCall = 0;
    }
    // KERNEL32.DLL with the two walk functions given.
    static void Kernel32With(FARPROC snapshot, FARPROC first)
    {
        win32::RegisterSystemModule("KERNEL32.DLL",
                                    {{"CreateToolhelp32Snapshot", snapshot},
                                     {"Process32First", first},
                                     {"Process32Next", reinterpret_cast<FARPROC>(&Process32Next)}},
                                    true);
    }
    // PSAPI.DLL with the real functions but for the one given.
    static void PsapiWith(const char* name, FARPROC replacement)
    {
        win32::ModuleExports exports = {
            {"EnumProcesses", reinterpret_cast<FARPROC>(&EnumProcesses)},
            {"EnumProcessModules", reinterpret_cast<FARPROC>(&EnumProcessModules)},
            {"GetModuleFileNameExA", reinterpret_cast<FARPROC>(&GetModuleFileNameExA)},
            {"GetModuleBaseNameA", reinterpret_cast<FARPROC>(&GetModuleBaseNameA)}};
        for (auto& [exportName, function] : exports)
            if (exportName == name)
                function = replacement;
        win32::RegisterSystemModule("PSAPI.DLL", exports, false);
    }
    std::vector<DWORD> Reported(const RecordingTerminator& terminator) const
    {
        std::vector<DWORD> ids;
        for (auto& r : terminator.reports)
            ids.push_back(r.second);
        return ids;
    }
};

// A walk whose snapshot cannot be taken, or whose first entry cannot be read,
// reports and compares nothing, and the search goes on as if it had ended.
TEST_F(TerminatorFailures, AWalkWithoutItsSnapshotOrFirstEntryIsPassedOver)
{
    m_table->Add(1, "init");
    m_table->Add(4, "OUTLOOK.EXE");

    Kernel32With(reinterpret_cast<FARPROC>(&SnapshotFailingOnce), reinterpret_cast<FARPROC>(&Process32First));
    g_failingCall = 1;
    RecordingTerminator firstWalkLost;
    EXPECT_TRUE(firstWalkLost.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(Reported(firstWalkLost), (std::vector<DWORD>{1, 4})) << "the second walk only";
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{4});

    m_table->Add(7, "OUTLOOK.EXE");
    g_calls = 0;
    g_failingCall = 2;
    RecordingTerminator secondWalkLost;
    EXPECT_TRUE(secondWalkLost.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(Reported(secondWalkLost), (std::vector<DWORD>{1, 7}));
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{4}) << "nothing compared, nothing more ended";

    Kernel32With(reinterpret_cast<FARPROC>(&CreateToolhelp32Snapshot),
                 reinterpret_cast<FARPROC>(&FirstEntryFailingOnce));
    g_calls = 0;
    g_failingCall = 2;
    RecordingTerminator secondFirstLost;
    EXPECT_TRUE(secondFirstLost.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(Reported(secondFirstLost), (std::vector<DWORD>{1, 7}));
    EXPECT_EQ(TerminatedIds(), std::vector<DWORD>{4});
}

TEST_F(TerminatorFailures, PsapiWithoutAProcessListFailsAndAFalseReportSparesTheMatch)
{
    RunOnNt4();
    m_table->Add(2, "init");
    m_table->Add(5, "OUTLOOK.EXE");
    m_table->Add(8, "OUTLOOK.EXE");

    PsapiWith("EnumProcesses", reinterpret_cast<FARPROC>(&EnumProcessesFailing));
    RecordingTerminator noList;
    ASSERT_TRUE(noList.LoadHelperLibraries());
    EXPECT_FALSE(noList.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_TRUE(noList.reports.empty());

    // The report comes before the comparison: stopping at the match spares
    // it and the search still counts as run.
    win32::ResetSystemModules();
    RecordingTerminator stopped;
    stopped.stopAt = 5;
    ASSERT_TRUE(stopped.LoadHelperLibraries());
    EXPECT_TRUE(stopped.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(Reported(stopped), (std::vector<DWORD>{2, 5}));
    EXPECT_TRUE(m_table->terminated.empty()) << "neither the match nor a later one";
}

TEST_F(TerminatorFailures, PsapiTakesAnUnreadableBaseNameForNoMatch)
{
    RunOnNt4();
    m_table->Add(2, "OUTLOOK.EXE");
    m_table->Add(3, "OUTLOOK.EXE");
    PsapiWith("GetModuleBaseNameA", reinterpret_cast<FARPROC>(&BaseNameUnreadable));
    RecordingTerminator terminator;
    ASSERT_TRUE(terminator.LoadHelperLibraries());
    EXPECT_TRUE(terminator.TerminateProcessByName("OUTLOOK.EXE"));
    EXPECT_EQ(Reported(terminator), (std::vector<DWORD>{2, 3})) << "every process is still reported";
    EXPECT_TRUE(m_table->terminated.empty());
}

} // namespace
