// The backup copier (dialog 138): copies every file of g_pBackupSrcList to
// the destination at the same place of g_pBackupDstList on a worker thread,
// in blocks of 4096 bytes, with the source's name and a progress bar; asks
// before overwriting; Stop, Escape and the close box ask whether to stop.
// It closes itself when the copying is over. DoModal always gives IDCANCEL.
#pragma once

#include "CFile64.h"
#include "controls/SkinDialog.h"

#include <atomic>

class CWinThread;

// The copy worker of the open copier; null when none runs.
extern std::atomic<CWinThread*> g_pCopyThread;
// 1 once the user has confirmed Stop; 0 at the start of every copy run.
// The worker stops after the block it is copying.
extern std::atomic<int> g_bCopyStop;

class CCopyProg : public CSkinDialog {
public:
    enum { IDD = 138 };
    explicit CCopyProg(CWnd* pParent = nullptr);
    ~CCopyProg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The worker: copies every pair, then marks the dialog done. Returns 0.
    static UINT CopyThreadProc(LPVOID pParam);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The close box: the stop question.
    void OnCancel() override;

    afx_msg void OnStop();
    afx_msg void OnPaint();
    afx_msg void OnCustomDrawProgress(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Copies one pair; false when the copy run is to end.
    bool CopyPair(LPCWSTR source, LPCWSTR destination);
    void CopyBlocks(LPCWSTR source, LPCWSTR destination);
    // Suspends the worker while the user decides; Yes ends the run.
    void AskToStop();

    CProgressCtrl m_prgCopy; // 1019
    CButton m_btnStop;       // 1
    CFile64 m_fileSrc;
    CFile64 m_fileDst;
    std::atomic<int> m_bDone = 0;
    CWinThread* m_pWorker = nullptr;
};
