// Runs whose converter returns early, Outlook being missing: the worker
// writes the summary, the dialog hands over to the completion dialog, and
// the worker's object stays usable by the handlers meanwhile.
#include "RunFixture.h"

#include "RunFlags.h"
#include "user/Automation.h"
#include "user/Resources.h"

namespace enginetest {
namespace {

namespace automation = user::automation;

constexpr const char16_t* kOutlookMissing =
    u"Microsoft Outlook not found installed or corrupted. Please install Microsoft Outlook & re-run conversion "
    u"Application";

class EarlyEnd : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        UnregisterOutlook();
    }

    void ExpectSummaryOfAnUnstartedRun()
    {
        auto lines = LogLines();
        auto step = std::find(lines.begin(), lines.end(), "Step 6 :");
        ASSERT_NE(step, lines.end());
        ASSERT_GE(lines.end() - step, 5);
        EXPECT_EQ(*(step - 1), "");
        EXPECT_EQ(*(step + 1), "-------");
        EXPECT_EQ(*(step + 2), "No. of folder selected : 3");
        EXPECT_EQ(*(step + 3), "Current Progress : 0");
        EXPECT_EQ(*(step + 4), "Overall Progress : 0");
    }
};

TEST_F(EarlyEnd, OutlookMissingIsReportedThenTheSummaryAndTheAbortedResultAreLogged)
{
    ASSERT_NE(StartRun(), nullptr);
    CWinThread* worker = g_pConvThread;
    ASSERT_NE(worker, nullptr);
    auto box = Answer(kOutlookMissing, IDOK);
    EXPECT_EQ(box.type, 0x1010u);
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.owner, m_progress);
    EXPECT_NE(box.thread, std::this_thread::get_id());

    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(TextOf(completion, 1040), u"Conversion Aborted");
    EXPECT_EQ(g_pConvThread.load(), nullptr);
    // The worker has ended, and the object a handler may still hold is
    // there to be asked: a suspension of an ended thread fails harmlessly.
    EXPECT_EQ(WaitForSingleObject(worker->m_hThread, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(worker->SuspendThread(), static_cast<DWORD>(-1));

    automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
    ExpectSummaryOfAnUnstartedRun();
    // The result comes after the summary.
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
}

// The program's resources without the completion dialog, so that the
// hand-over finds no dialog to run.
HINSTANCE ResourcesWithoutCompletionDialog()
{
    static HINSTANCE module = [] {
        user::ResourceSet set;
        user::ScriptError error;
        EXPECT_TRUE(user::ParseResourceScript("STRINGTABLE\nBEGIN\n    101 \"About\"\nEND\n", nullptr, set, &error))
            << error.message;
        auto instance = reinterpret_cast<HINSTANCE>(0xE700);
        user::RegisterResources(instance, set);
        return instance;
    }();
    return module;
}

TEST_F(EarlyEnd, ButtonsPressedAfterTheWorkerEndedDoNothing)
{
    ASSERT_NE(StartRun(), nullptr);
    HANDLE worker = WorkerHandle();
    HINSTANCE programResources = AfxGetResourceHandle();
    AfxSetResourceHandle(ResourcesWithoutCompletionDialog());
    Answer(kOutlookMissing, IDOK);
    // The completion dialog cannot run: the dialog comes back once, with
    // its worker gone, and stays.
    ASSERT_EQ(WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
    ASSERT_TRUE(automation::WaitForPaint(kPatience));
    ASSERT_TRUE(Eventually([this] { return automation::IsVisible(m_progress); }));
    AfxSetResourceHandle(programResources);

    HWND pause = GetDlgItem(m_progress, 1017);
    automation::Click(pause);
    automation::Click(GetDlgItem(m_progress, IDOK));
    automation::Click(GetDlgItem(m_progress, 1006));
    automation::PressKey(m_progress, VK_ESCAPE);
    automation::CloseWindow(m_progress);
    // File > Exit asks whatever the worker does; its question comes after
    // everything above was handled.
    ASSERT_TRUE(automation::ChooseMenuCommand(m_progress, 32771));
    Answer(u"Are you sure you want to exit.", IDNO);

    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, kOutlookMissing);
    EXPECT_EQ(boxes[1].text, u"Are you sure you want to exit.");
    EXPECT_EQ(automation::TextOf(pause), u"Pause");
    EXPECT_EQ(g_bPaused, 0);
    EXPECT_TRUE(automation::IsVisible(m_progress));
    ExpectSummaryOfAnUnstartedRun();
}

} // namespace
} // namespace enginetest
