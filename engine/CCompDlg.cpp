#include "CCompDlg.h"

#include "ActivityLog.h"
#include "AppSettings.h"
#include "RunFlags.h"
#include "win32/FileApi.h"
#include "win32/Process.h"
#include "win32/ProcessControl.h"
#include "win32/Shell.h"

IMPLEMENT_DYNAMIC(CCompDlg, CDialog)

namespace {

constexpr UINT kTemplateId = 153;
constexpr int kViewLogCheck = 1014;
constexpr int kResultText = 1040;
// The mail conversion's RTF body file.
constexpr LPCWSTR kRtfBodyFile = u"c:\\tol1.rtf";

struct RunResult {
    LPCWSTR shown;
    LPCWSTR logged;
};

RunResult ResultOfRun()
{
    if (!g_bAbortRequested)
        return {u"Conversion Completed Successfully", u"Conversion completed successfully"};
    if (g_bNotCompleted)
        return {u"Conversion not completed successfully", u"Conversion not completed successfully"};
    return {u"Conversion Aborted", u"Conversion aborted"};
}

} // namespace

CCompDlg::CCompDlg(CWnd* pParent)
    : CDialog(kTemplateId, pParent)
{
}

void CCompDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kViewLogCheck, m_chkViewLog);
}

// clang-format off
BEGIN_MESSAGE_MAP(CCompDlg, CDialog)
    ON_BN_CLICKED(IDOK, &CCompDlg::OnOK)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()
// clang-format on

BOOL CCompDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_hbmSkin.Load(CString(g_szInstallDir) + u"\\Skin.bmp");

    CString closer = CString(g_szInstallDir) + u"\\Stavrel.exe";
    if (_waccess(closer, 0) == 0)
        ShellExecuteW(nullptr, u"open", closer, nullptr, nullptr, SW_SHOWNORMAL);

    _wunlink(kRtfBodyFile);

    RunResult result = ResultOfRun();
    SetDlgItemText(kResultText, result.shown);
    WriteActivityLog(result.logged);

    SetWindowText(g_szAppTitle);
    return TRUE;
}

void CCompDlg::CloseRun()
{
    if (m_chkViewLog.GetCheck() != 0)
        ViewWrittenActivityLog();
    CString attachments = CString(g_szInstallDir) + u"\\Attachment";
    RemoveDirectoryW(attachments);
}

void CCompDlg::OnOK()
{
    CloseRun();
    win32::RuntimeExit(0);
}

void CCompDlg::OnCancel()
{
    CloseRun();
    TerminateOwnProcess();
    win32::RuntimeExit(0);
}

BOOL CCompDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_hbmSkin.OnEraseBkgnd(*this, pDC);
}

HBRUSH CCompDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    return m_hbmSkin.OnCtlColor(*this, pDC, pWnd, nCtlColor);
}

void TerminateOwnProcess()
{
    HANDLE self = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
    if (!self)
        return;
    TerminateProcess(self, 0);
    CloseHandle(self);
}
