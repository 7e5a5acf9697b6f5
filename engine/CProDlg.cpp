#include "CProDlg.h"

#include "ActivityLog.h"
#include "AppSettings.h"
#include "CCompDlg.h"
#include "ConversionThreads.h"
#include "Help.h"
#include "MarlwickDlg.h"
#include "RunFlags.h"
#include "ToolButtons.h"
#include "WizardIds.h"
#include "WizardSelections.h"
#include "gdi/Gdi.h"
#include "win32/WideString.h"

IMPLEMENT_DYNAMIC(CProDlg, CDialog)

namespace {

constexpr UINT kTemplateId = 150;
constexpr int kPauseButton = 1017;
constexpr LPCWSTR kNewTargetPrefix = u"Pellinor Conversion Folder";

CString InstalledFile(LPCWSTR fileName)
{
    return CString(g_szInstallDir) + fileName;
}

} // namespace

CProDlg::CProDlg(CWnd* pParent)
    : CDialog(kTemplateId, pParent)
{
}

CProDlg::~CProDlg()
{
    // The process ends in the completion dialog, so the dialog goes before
    // its worker only when the run is cut short: the worker goes with it.
    if (m_pWorker) {
        CWinThread* expected = m_pWorker;
        g_pConvThread.compare_exchange_strong(expected, nullptr);
        TerminateThread(m_pWorker->m_hThread, 0);
        WaitForSingleObject(m_pWorker->m_hThread, INFINITE);
        delete m_pWorker;
    }
    if (m_hStepPicture)
        DeleteObject(m_hStepPicture);
}

void CProDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VIEWLOG, m_btnViewLog);
    DDX_Control(pDX, IDC_SUPPORT, m_btnSupport);
    DDX_Control(pDX, IDC_EXIT, m_btnExit);
    DDX_Control(pDX, IDC_STEPPICTURE, m_picStep);
    DDX_Control(pDX, 1019, m_progCurrent);
    DDX_Control(pDX, 1020, m_progOverall);
    DDX_Control(pDX, kPauseButton, m_btnPause);
    DDX_Control(pDX, IDOK, m_btnStop);
    DDX_Control(pDX, 1033, m_stcFolder);
    DDX_Control(pDX, 1034, m_stcCount);
    DDX_Control(pDX, 1035, m_stcItemFirst);
    DDX_Control(pDX, 1036, m_stcItemSecond);
    DDX_Control(pDX, 1044, m_stcFolderLabel);
    DDX_Control(pDX, 1037, m_stcCountLabel);
    DDX_Control(pDX, 1038, m_stcFromLabel);
    DDX_Control(pDX, 1039, m_stcSubjectLabel);
    DDX_Control(pDX, 1045, m_stcCurrentLabel);
    DDX_Control(pDX, 1046, m_stcOverallLabel);
    DDX_Control(pDX, 1047, m_stcEnumerating);
}

// clang-format off
BEGIN_MESSAGE_MAP(CProDlg, CDialog)
    ON_BN_CLICKED(kPauseButton, &CProDlg::OnPause)
    ON_BN_CLICKED(IDC_VIEWLOG, &CProDlg::OnViewLog)
    ON_BN_CLICKED(IDC_SUPPORT, &CProDlg::OnSupport)
    ON_BN_CLICKED(IDC_EXIT, &CProDlg::OnExit)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDOK, &CProDlg::OnStop)
    ON_WM_HELPINFO()
    ON_NOTIFY(NM_CUSTOMDRAW, 1019, &CProDlg::OnCustomDrawProgress)
    ON_COMMAND(ID_FILE_EXIT, &CProDlg::OnQuitCommand)
END_MESSAGE_MAP()
// clang-format on

BOOL CProDlg::PreTranslateMessage(MSG* pMsg)
{
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CProDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(g_szAppTitle);

    SetUpToolButtons(m_btnViewLog, m_btnSupport, m_btnExit);

    m_hStepPicture = LoadImageW(nullptr, InstalledFile(u"\\step6.bmp"), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    m_picStep.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hStepPicture));
    m_hbmBackground.Load(InstalledFile(u"\\main.bmp"));

    if (g_bUpdateExistingPst == 1) {
        WCHAR pstPath[MAX_PATH];
        lstrcpynW(pstPath, g_szPstPath, MAX_PATH);
        OpenOutlookStore(pstPath);
    } else {
        m_strTargetFolder = CString(kNewTargetPrefix) + g_strPstFolderName;
    }
    StartWorker();
    return TRUE;
}

void CProDlg::StartWorker()
{
    AFX_THREADPROC procedure = nullptr;
    switch (g_nConvMode) {
    case 1: procedure = MailThreadProc; break;
    case 2: procedure = ContactsThreadProc; break;
    case 3: procedure = CalendarThreadProc; break;
    default: return;
    }
    // Made suspended, so that g_pConvThread holds the worker before the
    // worker can clear it, and kept after it ends (see m_pWorker).
    m_pWorker = AfxBeginThread(procedure, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED, nullptr);
    if (!m_pWorker)
        return;
    m_pWorker->m_bAutoDelete = FALSE;
    g_pConvThread = m_pWorker;
    m_pWorker->ResumeThread();
}

void CProDlg::OnPaint()
{
    CPaintDC dc(this);
    if (g_pConvThread.load() != nullptr || m_bHandedOver)
        return;
    // The worker has ended (or none was started): the completion dialog
    // takes over, and ends the process. It is run once, so a completion
    // dialog that fails to run does not start a cycle of hiding and showing.
    m_bHandedOver = true;
    ShowWindow(SW_HIDE);
    CCompDlg completion(nullptr);
    completion.DoModal();
    ShowWindow(SW_SHOWNORMAL);
}

void CProDlg::OnTimer(UINT_PTR nIDEvent)
{
    CDialog::OnTimer(nIDEvent);
}

BOOL CProDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_hbmBackground.OnEraseBkgnd(*this, pDC);
}

HBRUSH CProDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    return m_hbmBackground.OnCtlColor(*this, pDC, pWnd, nCtlColor);
}

void CProDlg::OnViewLog()
{
    ViewWrittenActivityLog();
}

void CProDlg::OnSupport()
{
    OpenSupportPage();
}

BOOL CProDlg::OnHelpInfo(HELPINFO*)
{
    OpenHelpFile();
    return FALSE;
}

void CProDlg::OnCustomDrawProgress(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}
