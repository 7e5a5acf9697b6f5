#include "afx/WinThread.h"

#include "afx/WinApp.h"
#include "afx/Wnd.h"
#include "win32/FileApi.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {
thread_local CWinThread* t_thread = nullptr;
}

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc)
    , m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (m_hThread)
        return FALSE;
    DWORD id = 0;
    m_hThread = ::CreateThread(lpSecurityAttrs, nStackSize, &ThreadEntry, this, dwCreateFlags | CREATE_SUSPENDED, &id);
    if (!m_hThread)
        return FALSE;
    m_nThreadID = id;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ThreadEntry(LPVOID self)
{
    auto* thread = static_cast<CWinThread*>(self);
    t_thread = thread;
    UINT result;
    if (thread->m_pfnThreadProc)
        result = thread->m_pfnThreadProc(thread->m_pThreadParams);
    else
        result = static_cast<UINT>(thread->InitInstance() ? thread->Run() : thread->ExitInstance());
    // A thread that is unwound by its termination never gets here.
    t_thread = nullptr;
    thread->Delete();
    return result;
}

DWORD CWinThread::SuspendThread()
{
    return ::SuspendThread(m_hThread);
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

int CWinThread::GetThreadPriority()
{
    return ::GetThreadPriority(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int nPriority)
{
    return ::SetThreadPriority(m_hThread, nPriority);
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::Run()
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0)) {
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return ExitInstance();
}

int CWinThread::ExitInstance()
{
    return 0;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    CWnd* main = AfxGetMainWnd();
    return CWnd::WalkPreTranslateTree(main ? main->GetSafeHwnd() : nullptr, pMsg);
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWnd* CWinThread::GetMainWnd()
{
    return m_pMainWnd;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}

CWinThread* AfxGetThread()
{
    return t_thread;
}

void AfxSetThread(CWinThread* thread)
{
    t_thread = thread;
}

CWnd* AfxGetMainWnd()
{
    if (CWinThread* thread = AfxGetThread()) {
        if (CWnd* main = thread->GetMainWnd())
            return main;
    }
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}
