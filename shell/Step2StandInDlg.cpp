#include "Step2StandInDlg.h"

#include "AppSettings.h"
#include "ExitPrompts.h"
#include "WizardIds.h"

BEGIN_MESSAGE_MAP(CStep2StandInDlg, CSkinDialog)
ON_BN_CLICKED(IDC_BACK, &CStep2StandInDlg::OnBack)
ON_COMMAND(ID_FILE_EXIT, &CStep2StandInDlg::OnFileExit)
END_MESSAGE_MAP()

CStep2StandInDlg::CStep2StandInDlg()
    : CSkinDialog(IDD)
{
}

BOOL CStep2StandInDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
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

