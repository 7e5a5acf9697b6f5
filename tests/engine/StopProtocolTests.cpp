// Pause, Resume and the stop protocol while the worker stands at a known
// unit of work: the worker is held still while a question is open, and a
// stopped run ends in the completion dialog.
#include "RunFixture.h"

#include "RunFlags.h"
#include "user/Automation.h"

namespace enginetest {
namespace {

namespace automation = user::automation;

constexpr UINT kQuestion = 0x1024;

// A run whose worker stands in the work of its first folder.
class StopProtocol : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        m_gate->Close();
        ASSERT_NE(StartRun(), nullptr);
        ASSERT_TRUE(m_gate->WaitForEntered(1));
        m_stop = GetDlgItem(m_progress, IDOK);
        m_pause = GetDlgItem(m_progress, 1017);
    }

    // The worker leaves the unit it stands in; while it is suspended it
    // stops before anything of the next unit.
    void LetUnitEnd() { m_gate->Let(1); }

    // The GUI thread has ended the handler it was in: Pause shows Resume
    // before it raises its flag, and the worker it suspended parks without
    // waiting for the GUI thread.
    void SettleGui() { SendMessageW(m_progress, WM_NULL, 0, 0); }

    // Pause, and the worker parked at the end of its first unit.
    void PauseAfterFirstUnit()
    {
        automation::Click(m_pause);
        ASSERT_TRUE(Eventually([this] { return automation::TextOf(m_pause) == u"Resume"; }));
        SettleGui();
        LetUnitEnd();
        ASSERT_TRUE(WaitForWorkerParked());
    }

    // Lets the run go to its end and closes the completion dialog.
    void FinishWithOk(const std::u16string& result)
    {
        m_gate->Open();
        HWND completion = WaitForCompletionDialog();
        ASSERT_NE(completion, nullptr);
        EXPECT_EQ(TextOf(completion, 1040), result);
        automation::Click(GetDlgItem(completion, IDOK));
        EXPECT_EQ(WaitForProcessEnd(), 0);
    }

    HWND m_stop = nullptr;
    HWND m_pause = nullptr;
};

TEST_F(StopProtocol, NoWhileRunningHoldsTheWorkerDuringTheQuestionAndChangesNothing)
{
    EXPECT_EQ(TextOf(m_progress, 1034), u"1/3");
    automation::Click(m_stop);
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);

    LetUnitEnd();
    ASSERT_TRUE(WaitForWorkerParked());
    // The first unit ended, and nothing of the second has begun.
    EXPECT_EQ(m_gate->Entered(), 1);
    EXPECT_EQ(g_nCurrentProgress, 1);
    EXPECT_EQ(TextOf(m_progress, 1034), u"1/3");

    auto question = Answer(u"Are you sure you want to stop?", IDNO);
    EXPECT_EQ(question.caption, kCaption);
    EXPECT_EQ(question.type, kQuestion);
    ASSERT_TRUE(m_gate->WaitForEntered(2));
    EXPECT_EQ(TextOf(m_progress, 1034), u"2/3");
    EXPECT_EQ(ProgressOf(GetDlgItem(m_progress, 1019)), 33);
    EXPECT_EQ(g_bStopRequested, 0);
    EXPECT_EQ(g_bAbortRequested, 0);
    FinishWithOk(u"Conversion Completed Successfully");
}

TEST_F(StopProtocol, PauseHoldsTheWorkerAndResumeLetsItGoOn)
{
    PauseAfterFirstUnit();
    EXPECT_EQ(g_bPaused, 1);
    EXPECT_EQ(m_gate->Entered(), 1);

    automation::Click(m_pause);
    ASSERT_TRUE(m_gate->WaitForEntered(2));
    EXPECT_EQ(automation::TextOf(m_pause), u"Pause");
    EXPECT_EQ(g_bPaused, 0);
    FinishWithOk(u"Conversion Completed Successfully");
}

TEST_F(StopProtocol, NoWhilePausedLeavesTheRunPaused)
{
    PauseAfterFirstUnit();

    automation::Click(m_stop);
    Answer(u"Are you sure you want to stop?", IDNO);
    EXPECT_TRUE(win32::IsThreadParked(WorkerHandle()));
    EXPECT_EQ(automation::TextOf(m_pause), u"Resume");
    EXPECT_EQ(g_bPaused, 1);
    EXPECT_EQ(g_bStopRequested, 0);
    // Still paused: the next unit has not begun.
    EXPECT_EQ(m_gate->Entered(), 1);
    EXPECT_EQ(TextOf(m_progress, 1034), u"1/3");

    automation::Click(m_pause);
    ASSERT_TRUE(m_gate->WaitForEntered(2));
    FinishWithOk(u"Conversion Completed Successfully");
}

TEST_F(StopProtocol, YesWhilePausedReleasesTheRunWhichEndsAborted)
{
    PauseAfterFirstUnit();

    automation::Click(m_stop);
    Answer(u"Are you sure you want to stop?", IDYES);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(TextOf(completion, 1040), u"Conversion Aborted");
    EXPECT_EQ(TextOf(m_progress, 1047), u"Stopping conversion please wait...");
    EXPECT_EQ(automation::TextOf(m_pause), u"Resume");
    // The worker stopped at its next check: the second folder never began.
    EXPECT_EQ(m_gate->Entered(), 1);
    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
    EXPECT_FALSE(LogHas("Step 6 :"));
}

TEST_F(StopProtocol, EnterAsksToStopAndEscapeTheExitButtonAndTheCloseBoxAskToExit)
{
    automation::PressKey(m_progress, VK_RETURN);
    auto enter = Answer(u"Are you sure you want to stop?", IDNO);
    EXPECT_EQ(enter.type, kQuestion);

    automation::PressKey(m_progress, VK_ESCAPE);
    auto escape = Answer(u"Are you sure you want to exit?", IDNO);
    EXPECT_EQ(escape.type, kQuestion);
    EXPECT_EQ(escape.caption, kCaption);

    automation::Click(GetDlgItem(m_progress, 1006));
    Answer(u"Are you sure you want to exit?", IDNO);
    // No answered three times: the dialog stays and the run goes on.
    EXPECT_TRUE(automation::IsVisible(m_progress));
    EXPECT_EQ(g_bStopRequested, 0);

    automation::CloseWindow(m_progress);
    Answer(u"Are you sure you want to exit?", IDYES);
    // The dialog raises both flags once its question has returned.
    EXPECT_TRUE(automation::WaitUntil([] { return g_bStopRequested == 1 && g_bAbortRequested == 1; }));
    FinishWithOk(u"Conversion Aborted");
}

TEST_F(StopProtocol, FileExitAsksWithoutHoldingTheWorkerAndYesEndsTheProcessAtOnce)
{
    ASSERT_TRUE(automation::ChooseMenuCommand(m_progress, 32771));
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    // The worker runs on while this question is open.
    LetUnitEnd();
    ASSERT_TRUE(m_gate->WaitForEntered(2));

    auto question = Answer(u"Are you sure you want to exit.", IDYES);
    EXPECT_EQ(question.type, kQuestion);
    EXPECT_EQ(question.caption, kCaption);
    // The worker stood in its second unit when the process ended.
    ASSERT_TRUE(ProcessEnded());
    m_gate->Open();
    EXPECT_EQ(WaitForProcessEnd(), 0);
    // No summary, no completion dialog, no result line.
    EXPECT_FALSE(LogHas("Step 6 :"));
    EXPECT_FALSE(LogHas("Conversion aborted"));
    EXPECT_FALSE(LogHas("Conversion completed successfully"));
    EXPECT_TRUE(ShellCallsOn(u"\\Stavrel.exe").empty());
}

TEST_F(StopProtocol, FileExitAnsweredNoDoesNothing)
{
    ASSERT_TRUE(automation::ChooseMenuCommand(m_progress, 32771));
    Answer(u"Are you sure you want to exit.", IDNO);
    EXPECT_TRUE(automation::IsVisible(m_progress));
    EXPECT_EQ(g_bStopRequested, 0);
    FinishWithOk(u"Conversion Completed Successfully");
}

} // namespace
} // namespace enginetest
