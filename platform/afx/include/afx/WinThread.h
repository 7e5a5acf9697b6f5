// CWinThread: a thread of the framework, and AfxBeginThread, which starts a
// worker thread that runs a function with one parameter. The thread object
// deletes itself when the function returns (m_bAutoDelete, on by default),
// closing its handle; a thread that is terminated leaves its object alive,
// as the framework's does, so that a holder of the pointer may still use it.
#pragma once

#include "afx/MessageMap.h"
#include "user/MessageQueue.h"
#include "win32/Thread.h"

class CWnd;

using AFX_THREADPROC = UINT (*)(LPVOID parameter);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)

public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    // Starts the thread (suspended when the flags ask for it).
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD SuspendThread();
    DWORD ResumeThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int nPriority);
    operator HANDLE() const { return m_hThread; }

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    // The chain of the thread's modal loops: the message's window and its
    // parents and owners, up to the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Deletes the object when m_bAutoDelete is set.
    virtual void Delete();
    virtual CWnd* GetMainWnd();

    CWnd* m_pMainWnd = nullptr;
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;

private:
    static DWORD ThreadEntry(LPVOID self);
};

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// The framework thread object of the calling thread (the application's on
// the thread that runs the program entry), or null.
CWinThread* AfxGetThread();
void AfxSetThread(CWinThread* thread);
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
