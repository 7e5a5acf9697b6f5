// How the user steers the worker from the GUI thread: Pause and Resume, and
// the stop protocol of Stop, Exit, Escape and the close box.
#include "CProDlg.h"

#include "AppSettings.h"
#include "ExitPrompts.h"
#include "RunFlags.h"

namespace {

constexpr UINT kQuestionFlags = 0x1024; // system-modal, question icon, Yes and No
constexpr LPCWSTR kStopQuestion = u"Are you sure you want to stop?";
constexpr LPCWSTR kExitQuestion = u"Are you sure you want to exit?";
constexpr LPCWSTR kStoppingText = u"Stopping conversion please wait...";

} // namespace

void CProDlg::OnPause()
{
    CWinThread* worker = g_pConvThread;
    if (!worker)
        return;
    if (g_bPaused == 0) {
        worker->SuspendThread();
        m_btnPause.SetWindowText(u"Resume");
        g_bPaused = 1;
    } else {
        worker->ResumeThread();
        m_btnPause.SetWindowText(u"Pause");
        g_bPaused = 0;
    }
}

void CProDlg::OnStop()
{
    RunStopProtocol(kStopQuestion);
}

void CProDlg::OnExit()
{
    RunStopProtocol(kExitQuestion);
}

void CProDlg::OnCancel()
{
    RunStopProtocol(kExitQuestion);
}

void CProDlg::RunStopProtocol(LPCWSTR question)
{
    // The worker's object outlives its run (m_pWorker), so it may be used
    // here even when the worker ends while the question is open.
    CWinThread* worker = g_pConvThread;
    if (!worker)
        return;
    if (g_bPaused != 1)
        worker->SuspendThread();
    int answer = MessageBox(question, g_szMsgCaption, kQuestionFlags);
    if (answer == IDYES) {
        // The flags come first, so the worker sees them at its first check
        // once released. One resume undoes the suspension above or, in a
        // paused run, Pause's: a paused run is released to end.
        RaiseStopFlags();
        worker->ResumeThread();
        m_stcEnumerating.SetWindowText(kStoppingText);
    } else if (g_bPaused != 1) {
        // A paused run is left suspended as it stands: resuming it only to
        // suspend it again would let it slip into its next unit of work.
        worker->ResumeThread();
    }
}

void CProDlg::OnQuitCommand()
{
    // The worker runs on while this question is open.
    ConfirmExit(*this, ExitPrompt::C);
}
