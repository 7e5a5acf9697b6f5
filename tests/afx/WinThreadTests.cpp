// Worker threads of the framework: their objects, their suspension while a
// dialog runs, and their termination.
#include "AfxTestSupport.h"

#include <atomic>
#include <thread>

using namespace afxtest;

namespace {

struct Work {
    std::atomic<bool> stop{false};
    std::atomic<int> units{0};
    LPVOID seenParameter = nullptr;
};

UINT CountUntilStopped(LPVOID parameter)
{
    auto* work = static_cast<Work*>(parameter);
    work->seenParameter = parameter;
    while (!work->stop) {
        Sleep(0);
        ++work->units;
    }
    return 11;
}

TEST(WorkerThreads, AnAutoDeletingThreadObjectGoesWithItsThread)
{
    Work work;
    CWinThread* thread = AfxBeginThread(CountUntilStopped, &work, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->m_bAutoDelete);
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_NE(thread->m_nThreadID, 0u);
    HANDLE handle = thread->m_hThread;
    EXPECT_EQ(work.units, 0); // made suspended
    EXPECT_EQ(thread->ResumeThread(), 1u);
    ASSERT_TRUE(Eventually([&] { return work.units > 0; }));
    work.stop = true;
    // The object's end closes the thread's handle.
    EXPECT_TRUE(Eventually([&] { return WaitForSingleObject(handle, 0) == WAIT_FAILED; }));
    EXPECT_EQ(work.seenParameter, &work);
}

TEST(WorkerThreads, AKeptThreadObjectReportsTheResultAndSuspendCounts)
{
    Work work;
    CWinThread* thread = AfxBeginThread(CountUntilStopped, &work, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(thread->SuspendThread(), 1u);
    EXPECT_EQ(thread->ResumeThread(), 2u);
    EXPECT_EQ(thread->ResumeThread(), 1u);
    ASSERT_TRUE(Eventually([&] { return work.units > 0; }));
    EXPECT_EQ(thread->SuspendThread(), 0u);
    ASSERT_TRUE(Eventually([&] { return win32::IsThreadParked(thread->m_hThread); }));
    int parkedAt = work.units;
    Sleep(0);
    EXPECT_EQ(work.units, parkedAt);
    work.stop = true;
    EXPECT_EQ(thread->ResumeThread(), 1u);
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 11u);
    delete thread;
}

struct Guarded {
    std::atomic<bool> inside{false};
    std::atomic<int> swallowed{0};
    std::atomic<bool> finished{false};
};

// A converter's shape: each step under its own catch-all, a window call between steps.
UINT GuardedSteps(LPVOID parameter)
{
    auto* state = static_cast<Guarded*>(parameter);
    for (;;) {
        try {
            state->inside = true;
            Sleep(0);
        } catch (...) {
            ++state->swallowed;
        }
        Sleep(0);
        if (state->swallowed > 100)
            break; // never: the request outlives the guard
    }
    state->finished = true;
    return 0;
}

TEST(WorkerThreads, TerminationUnwindsThroughTheGuardsAndLeavesTheObject)
{
    Guarded state;
    CWinThread* thread = AfxBeginThread(GuardedSteps, &state);
    ASSERT_TRUE(Eventually([&] { return state.inside.load(); }));
    HANDLE handle = thread->m_hThread;
    ASSERT_EQ(thread->SuspendThread(), 0u);
    ASSERT_TRUE(Eventually([&] { return win32::IsThreadParked(handle); }));
    EXPECT_TRUE(TerminateThread(handle, 0));
    ASSERT_EQ(WaitForSingleObject(handle, 20000), WAIT_OBJECT_0);
    EXPECT_LE(state.swallowed, 1);
    EXPECT_FALSE(state.finished);
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeThread(handle, &code));
    EXPECT_EQ(code, 0u);
    // The object stays, as it does for a terminated thread of the framework.
    EXPECT_EQ(thread->m_hThread, handle);
    delete thread;
}

// A worker whose unit of work is a window call, as the converters' are.
class CPausedDlg : public CDialog {
public:
    CPausedDlg()
        : CDialog(kWorkDialog)
    {
    }
    CWinThread* worker = nullptr;
    std::atomic<int> written{0};
    std::atomic<bool> stop{false};

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        worker = AfxBeginThread(&CPausedDlg::Write, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        worker->m_bAutoDelete = FALSE;
        worker->ResumeThread();
        return TRUE;
    }
    static UINT Write(LPVOID parameter)
    {
        auto* self = static_cast<CPausedDlg*>(parameter);
        while (!self->stop) {
            CString text;
            text.Format(u"%d", self->written + 1);
            self->SetDlgItemText(1034, text);
            ++self->written;
        }
        return 0;
    }
};

TEST(WorkerThreads, ASuspendedWorkerWritesNothingMoreIntoTheDialog)
{
    CPausedDlg dialog;
    ModalRun run(dialog);
    HWND window = automation::WaitForWindow(u"Work");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Eventually([&] { return dialog.written > 10; }));
    CWinThread* worker = dialog.worker;
    worker->SuspendThread();
    ASSERT_TRUE(Eventually([&] { return win32::IsThreadParked(worker->m_hThread); }));
    int written = dialog.written;
    std::u16string shown = automation::TextOf(::GetDlgItem(window, 1034));
    Sleep(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(dialog.written, written);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(window, 1034)), shown);
    // It stopped before its next call, after the text of its last count.
    CString expected;
    expected.Format(u"%d", written);
    EXPECT_EQ(shown, expected.Str());
    dialog.stop = true;
    worker->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(worker->m_hThread, 20000), WAIT_OBJECT_0);
    automation::PressKey(window, VK_RETURN);
    EXPECT_EQ(run.Result(), IDOK);
    delete worker;
}

} // namespace
