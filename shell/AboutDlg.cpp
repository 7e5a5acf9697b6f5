#include "AboutDlg.h"

#include "AppSettings.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
ON_BN_CLICKED(1004, &CAboutDlg::OnWebsite)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg()
    : CDialog(IDD)
{
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_lnkWebsite);
    DDX_Control(pDX, 1005, m_lnkSupport);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(g_szAppTitle);
    m_skin.Load(CString(g_szInstallDir) + u"\\Skin.bmp");
    return TRUE;
}

void CAboutDlg::OnWebsite()
{
    // The link button opens its address itself and keeps the click.
}

BOOL CAboutDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.OnEraseBkgnd(*this, pDC);
}

HBRUSH CAboutDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    return m_skin.OnCtlColor(*this, pDC, pWnd, nCtlColor);
}
