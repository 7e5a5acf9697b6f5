#include "FakeProcessTable.h"

#include "closer/CProcessTerminator.h"
#include "win32/Module.h"
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

class TerminatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
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

} // namespace
