// A run that reaches its end: the target made on demand, the completion
// dialog's result, the Outlook closer, the log, and the ways it ends the process.
#include "RunFixture.h"

#include "components/ComponentClasses.h"
#include "Converters.h"
#include "MarlwickDlg.h"
#include "PstBack.h"
#include "RunFlags.h"
#include "WizardSelections.h"
#include "user/Automation.h"
#include "user/ProgressBar.h"

namespace enginetest {
namespace {

namespace automation = user::automation;
using components::kBrenmoorClass;
using components::kRdoSessionClass;

class RunEnd : public RunFixture {};

TEST_F(RunEnd, ANewPstGetsTheComponentsRegisteredSilentlyAndTheNamedTargetFolder)
{
    ASSERT_FALSE(Registered(kRdoSessionClass));
    ASSERT_FALSE(Registered(kBrenmoorClass));
    ASSERT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);

    EXPECT_EQ(Dialog().m_strTargetFolder.Str(), u"Pellinor Conversion FolderMail");
    EXPECT_TRUE(Registered(kRdoSessionClass));
    EXPECT_TRUE(Registered(kBrenmoorClass));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(TextOf(completion, 1040), u"Conversion Completed Successfully");
    EXPECT_EQ(automation::TextOf(completion), kAppTitle);
    // The progress dialog stands hidden behind the completion dialog, its
    // bars full after the last of the three folders.
    EXPECT_FALSE(automation::IsVisible(m_progress));
    EXPECT_EQ(ProgressOf(GetDlgItem(m_progress, 1019)), 100);
    EXPECT_EQ(ProgressOf(GetDlgItem(m_progress, 1020)), 100);
    EXPECT_EQ(TextOf(m_progress, 1034), u"3/3");
    EXPECT_EQ(TextOf(m_progress, 1033), u"3/3   [Lotus Notes\\Projects\\]");

    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);

    // Brenmoor made the PST with the target folder as its root folder's name.
    auto store = componenttest::ReopenStore(Host(kPstPath));
    ASSERT_TRUE(store);
    auto name = store->GetDisplayName();
    ASSERT_TRUE(name.Ok()) << name.Message();
    EXPECT_EQ(name.Value(), u"Pellinor Conversion FolderMail");
}

// A mode whose converter is missing writes nothing: its run ends in the
// completion dialog as not completed, with the summary of an unstarted run
// and no PST.
class RunWithoutConverter : public RunFixture, public testing::WithParamInterface<int> {};

TEST_P(RunWithoutConverter, EndsNotCompleted)
{
    InstallConverter(GetParam(), nullptr);
    g_nConvMode = GetParam();
    // Not waited for: with nothing to convert the progress dialog may be
    // gone before a look for it comes.
    BeginRun();
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(TextOf(completion, 1040), u"Conversion not completed successfully");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
    EXPECT_TRUE(LogHas("Step 6 :"));
    EXPECT_FALSE(std::filesystem::exists(Host(kPstPath)));
    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, RunWithoutConverter, testing::Values(1, 2, 3));

TEST_F(RunEnd, OkEndsTheProcessAfterStartingTheCloserRemovingTheRtfFileAndLoggingTheResult)
{
    WriteHostFile(Host(u"c:\\tol1.rtf"), "{\\rtf1 left over}");
    ASSERT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\tol1.rtf")));
    auto closer = ShellCallsOn(u"\\Stavrel.exe");
    ASSERT_EQ(closer.size(), 1u);
    EXPECT_EQ(closer[0].verb, u"open");
    EXPECT_EQ(closer[0].file, m_installDir + u"\\Stavrel.exe");
    EXPECT_EQ(closer[0].parameters, u"");
    EXPECT_EQ(closer[0].show, SW_SHOWNORMAL);
    EXPECT_GT(closer[0].result, 32);

    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
    // A run that reaches its end logs no summary, only the result.
    auto lines = LogLines();
    EXPECT_EQ(lines.back(), "Conversion completed successfully");
    EXPECT_FALSE(LogHas("Step 6 :"));
    EXPECT_TRUE(ShellCallsOn(u"\\Notepad.exe").empty());
    EXPECT_FALSE(std::filesystem::exists(Host(m_installDir + u"\\Attachment")));
}

TEST_F(RunEnd, WithoutTheCloserTheCompletionDialogOpensAndStartsNothing)
{
    std::filesystem::remove(Host(m_installDir + u"\\Stavrel.exe"));
    ASSERT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(TextOf(completion, 1040), u"Conversion Completed Successfully");
    EXPECT_TRUE(win32::ReadShellJournal().empty());
    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
}

TEST_F(RunEnd, TheViewLogBoxOpensTheLogThatWasWrittenWhereNoLogFolderIsSet)
{
    ASSERT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    HWND box = GetDlgItem(completion, 1014);
    EXPECT_EQ(automation::CheckStateOf(box), static_cast<UINT>(BST_UNCHECKED));
    automation::Click(box);
    ASSERT_TRUE(Eventually([box] { return automation::CheckStateOf(box) == BST_CHECKED; }));
    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);

    auto notepad = ShellCallsOn(u"\\Notepad.exe");
    ASSERT_EQ(notepad.size(), 1u);
    EXPECT_EQ(notepad[0].file, u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(notepad[0].parameters, m_installDir + u"\\Activity Log.txt");
    EXPECT_EQ(notepad[0].show, SW_SHOWNORMAL);
}

TEST_F(RunEnd, EscapeInTheCompletionDialogEndsTheProcessByTerminatingIt)
{
    ASSERT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    automation::PressKey(completion, VK_ESCAPE);
    EXPECT_EQ(WaitForProcessEnd(), 0);
    EXPECT_FALSE(std::filesystem::exists(Host(m_installDir + u"\\Attachment")));
    EXPECT_EQ(LogLines().back(), "Conversion completed successfully");
}

TEST_F(RunEnd, AnAttachmentFolderThatStillHoldsFilesIsLeft)
{
    WriteHostFile(Host(m_installDir + u"\\Attachment\\report.doc"), "kept");
    ASSERT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
    EXPECT_EQ(ReadHostFile(Host(m_installDir + u"\\Attachment\\report.doc")), "kept");
}

TEST_F(RunEnd, AnAbortedRunWhoseNsfCouldNotBeReadSaysSo)
{
    g_bNotCompleted = 1;
    g_bAbortRequested = 1;
    g_bStopRequested = 1;
    ASSERT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(TextOf(completion, 1040), u"Conversion not completed successfully");
    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
    EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
}

} // namespace
} // namespace enginetest
