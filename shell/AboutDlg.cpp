#include "AboutDlg.h"

#include "AppSettings.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CSkinDialog)
ON_BN_CLICKED(1004, &CAboutDlg::OnWebsite)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg()
    : CSkinDialog(IDD)
{
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_lnkWebsite);
    DDX_Control(pDX, 1005, m_lnkSupport);
}

BOOL CAboutDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    SetWindowText(g_szAppTitle);
    m_skin.Load(CString(g_szInstallDir) + u"\\Skin.bmp");
    return TRUE;
}

void CAboutDlg::OnWebsite()
{
    // The link button opens its address itself and keeps the click.
}

