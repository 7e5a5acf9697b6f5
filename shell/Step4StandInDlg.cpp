#include "Step4StandInDlg.h"

#include "ExitPrompts.h"
#include "WizardSelections.h"
#include "WizardIds.h"

BEGIN_MESSAGE_MAP(CStep4StandInDlg, CSkinDialog)
ON_BN_CLICKED(IDC_BACK, &CStep4StandInDlg::OnBack)
ON_BN_CLICKED(IDC_EXIT, &CStep4StandInDlg::OnExit)
ON_COMMAND(ID_FILE_EXIT, &CStep4StandInDlg::OnFileExit)
END_MESSAGE_MAP()

CStep4StandInDlg::CStep4StandInDlg()
    : CSkinDialog(IDD)
{
}

void CStep4StandInDlg::OnCancel()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CStep4StandInDlg::OnBack()
{
    FreeStringList(&g_pSelFolderList);
    CDialog::OnCancel();
}

void CStep4StandInDlg::OnExit()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CStep4StandInDlg::OnFileExit()
{
    ConfirmExit(*this, ExitPrompt::C);
}
