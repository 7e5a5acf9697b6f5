#include "Step2StandInDlg.h"

#include "AppSettings.h"
#include "ExitPrompts.h"

namespace {
constexpr int kBack = 1017;
constexpr UINT kFileExit = 32771;
} // namespace

BEGIN_MESSAGE_MAP(CStep2StandInDlg, CDialog)
ON_BN_CLICKED(kBack, &CStep2StandInDlg::OnBack)
ON_COMMAND(kFileExit, &CStep2StandInDlg::OnFileExit)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CStep2StandInDlg::CStep2StandInDlg()
    : CDialog(IDD)
{
}

BOOL CStep2StandInDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(g_szAppTitle);
    m_skin.Load(CString(g_szInstallDir) + u"\\main.bmp");
    return TRUE;
}

void CStep2StandInDlg::OnCancel()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CStep2StandInDlg::OnBack()
{
    CDialog::OnCancel();
}

void CStep2StandInDlg::OnFileExit()
{
    ConfirmExit(*this, ExitPrompt::C);
}

BOOL CStep2StandInDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.OnEraseBkgnd(*this, pDC);
}

HBRUSH CStep2StandInDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    return m_skin.OnCtlColor(*this, pDC, pWnd, nCtlColor);
}
