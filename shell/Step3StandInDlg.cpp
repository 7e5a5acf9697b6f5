#include "Step3StandInDlg.h"

#include "AppSettings.h"
#include "CCopyProg.h"
#include "CTrgDlg.h"
#include "MarlwickDlg.h"
#include "StepLog.h"
#include "ToolButtons.h"
#include "WizardChain.h"
#include "WizardIds.h"
#include "WizardSelections.h"
#include "ActivityLog.h"

BEGIN_MESSAGE_MAP(CStep3StandInDlg, CWizardStepDlg)
ON_BN_CLICKED(IDOK, &CStep3StandInDlg::OnNext)
ON_BN_CLICKED(IDC_BACK, &CStep3StandInDlg::OnBack)
END_MESSAGE_MAP()

CStep3StandInDlg::CStep3StandInDlg()
    : CWizardStepDlg(IDD, nullptr)
{
}

BOOL CStep3StandInDlg::OnInitDialog()
{
    CWizardStepDlg::OnInitDialog();
    SetWindowText(g_szAppTitle);
    SetUpToolButtons(m_btnViewLog, m_btnSupport, m_btnExit);
    LoadStepPictures(g_nConvMode == 2 ? u"\\step3_add.bmp" : g_nConvMode == 3 ? u"\\step3_cal.bmp"
                                                                              : u"\\step3_mail.bmp");
    return TRUE;
}

void CStep3StandInDlg::OnNext()
{
    CString folder = g_nConvMode == 1 ? CString(u"Lotus Notes\\Inbox\\")
                                      : CString(u"Lotus Notes\\") + g_strNsfPath + u"\\";
    AppendStringNode(&g_pSelFolderList, folder);
    g_nSelFolderCount = 1;
    WriteStepHeading(3);
    WriteActivityLog(u"List of Selected NSF Folder(s) : ");
    WriteActivityLog(folder);
    RunNextStep<CTrgDlg>(*this);
}

void CStep3StandInDlg::OnBack()
{
    FreeStringList(&g_pSelFolderList);
    g_bCopyStop = 0;
    CDialog::OnCancel();
}
