// Step 6 of the wizard: the progress dialog (dialog 150) that owns the one
// conversion run of the process. It settles the target folder's name, starts
// the worker of the conversion mode, shows what the worker writes into its
// controls and lets the user pause, resume and stop the worker. The run ends
// in the completion dialog, which ends the process.
#pragma once

#include "afx/AfxWin.h"
#include "afx/OleDispatchDriver.h"
#include "controls/ShadeButton.h"
#include "controls/Skin.h"
#include "controls/TransparentStatic.h"

#include <cstddef>

class LNDatabase;
class LNNotesSession;
struct PstFreeSpaceAnswers;

class CProDlg : public CDialog {
    DECLARE_DYNAMIC(CProDlg)

public:
    explicit CProDlg(CWnd* pParent = nullptr);
    ~CProDlg() override;

    // The converters, run on the worker thread by the thread procedures:
    // each runs the one installed for its mode (Converters.h).
    void ConvertMailFolders();
    void ConvertContacts();
    void ConvertCalendar();

    // The first step of every converter: TRUE when Outlook can be started;
    // otherwise it has said so and raised the stop flags.
    BOOL CheckOutlookInstalled();
    // The second: the PST folder into g_strPstDir and the target components
    // prepared. FALSE when the run has ended at the stop check after them.
    BOOL PrepareTargetComponents();
    // Opens an existing PST in Outlook and takes its root folder's name as
    // m_strTargetFolder (GUI thread, before the worker starts).
    void OpenOutlookStore(CString pstPath);
    // Makes sure the RDO session can be created and creates Brenmoor,
    // registering either file on demand, then opens the target in Brenmoor.
    // Always 0; a failure is reported and raises the stop flags.
    int InitRdoAndBrenmoor(CString pstPath);

    // Shared first steps of the converters that read the NSF, on the worker.
    // Initialises the Notes session and opens the database at g_strNsfPath;
    // from then on every Notes error is thrown as its status, as those of
    // GetDatabase and Open are. FALSE when the session cannot be initialised:
    // that has been reported and the run marked not completed and stopped.
    BOOL OpenNotesDatabase(LNNotesSession& session, LNDatabase& database);
    // The NSF cannot be read: says so, and marks the run not completed and
    // stopped; the caller's stop check then ends it.
    void ReportUnreadableNsf();
    // The free-space question before each document (PstFreeSpace.h). FALSE
    // when the run ends: after No, whose completion dialog has run, or after
    // the fourth Yes, when the converter returns at once.
    BOOL CheckPstFreeSpace(int foldersToLog, PstFreeSpaceAnswers& answers);

    // The converters' stop test: when a stop is requested, the completion
    // dialog runs (and ends the process). TRUE when the converter must leave.
    BOOL StopCheck();
    // Runs the completion dialog on the calling thread, with this dialog
    // hidden meanwhile.
    void ShowCompletionDialog();

    // The component after the first n backslashes of path, up to the next
    // one; cut to the room of out. Empty when n passes the last backslash.
    void GetPathComponent(const WCHAR* path, int n, WCHAR* out, std::size_t outChars);
    template <std::size_t N>
    void GetPathComponent(const WCHAR* path, int n, WCHAR (&out)[N])
    {
        GetPathComponent(path, n, out, N);
    }

    CxShadeButton m_btnViewLog;
    CxShadeButton m_btnSupport;
    CxShadeButton m_btnExit;
    CStatic m_picStep;
    CProgressCtrl m_progCurrent;
    CProgressCtrl m_progOverall;
    CButton m_btnPause;
    CButton m_btnStop;
    // The name of the PST store's root folder as the run addresses it.
    CString m_strTargetFolder;
    // "\main.bmp", painted as the background by the skin.
    CDialogSkin m_hbmBackground;
    CTransparentStatic m_stcFolder;
    CTransparentStatic m_stcCount;
    CTransparentStatic m_stcItemFirst;
    CTransparentStatic m_stcItemSecond;
    CTransparentStatic m_stcFolderLabel;
    CTransparentStatic m_stcCountLabel;
    CTransparentStatic m_stcFromLabel;
    CTransparentStatic m_stcSubjectLabel;
    CTransparentStatic m_stcCurrentLabel;
    CTransparentStatic m_stcOverallLabel;
    COleDispatchDriver m_dispBrenmoor;
    CTransparentStatic m_stcEnumerating;
    COleDispatchDriver m_dispOutlookApp;
    COleDispatchDriver m_dispNamespace;
    COleDispatchDriver m_dispStoreRoot;
    COleDispatchDriver m_dispFolders;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;
    // Escape and the close box: the stop protocol; the dialog never closes.
    void OnCancel() override;

    afx_msg void OnPause();
    afx_msg void OnViewLog();
    afx_msg void OnSupport();
    afx_msg void OnExit();
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnStop();
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    afx_msg void OnCustomDrawProgress(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnQuitCommand();

    DECLARE_MESSAGE_MAP()

private:
    // Suspends the worker while the question is open; Yes stops the run.
    void RunStopProtocol(LPCWSTR question);
    void StartWorker();
    // The converter installed for the mode, run on the worker.
    void RunConverterOf(int mode);

    // The worker's object, kept until the dialog goes, so that a handler
    // that read g_pConvThread may still suspend or resume it.
    CWinThread* m_pWorker = nullptr;
    // The completion dialog is handed over to once.
    bool m_bHandedOver = false;
    // The step picture, which the picture control does not own.
    HANDLE m_hStepPicture = nullptr;
};
