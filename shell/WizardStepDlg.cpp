#include "WizardStepDlg.h"

#include "ActivityLog.h"
#include "AppSettings.h"
#include "ExitPrompts.h"
#include "Help.h"
#include "ToolButtons.h"
#include "WizardIds.h"

BEGIN_MESSAGE_MAP(CWizardStepDlg, CSkinDialog)
ON_BN_CLICKED(IDC_VIEWLOG, &CWizardStepDlg::OnViewLog)
ON_BN_CLICKED(IDC_SUPPORT, &CWizardStepDlg::OnSupport)
ON_BN_CLICKED(IDC_EXIT, &CWizardStepDlg::OnExit)
ON_COMMAND(ID_FILE_EXIT, &CWizardStepDlg::OnFileExit)
ON_WM_HELPINFO()
END_MESSAGE_MAP()

CWizardStepDlg::CWizardStepDlg(UINT nIDTemplate, CWnd* pParent)
    : CSkinDialog(nIDTemplate, pParent)
{
}

CWizardStepDlg::~CWizardStepDlg()
{
    if (m_hStepPicture)
        ::DeleteObject(m_hStepPicture);
}

void CWizardStepDlg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VIEWLOG, m_btnViewLog);
    DDX_Control(pDX, IDC_SUPPORT, m_btnSupport);
    DDX_Control(pDX, IDC_EXIT, m_btnExit);
    DDX_Control(pDX, IDC_STEPPICTURE, m_stcStep);
}

void CWizardStepDlg::LoadStepPictures(LPCWSTR pictureName)
{
    const CString installDir(g_szInstallDir);
    if (m_hStepPicture)
        ::DeleteObject(m_hStepPicture);
    m_hStepPicture = static_cast<HBITMAP>(
        ::LoadImageW(nullptr, installDir + pictureName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    m_stcStep.SetBitmap(m_hStepPicture);
    m_skin.Load(installDir + u"\\main.bmp");
}

void CWizardStepDlg::OnCancel()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CWizardStepDlg::OnViewLog()
{
    ViewActivityLog();
}

void CWizardStepDlg::OnSupport()
{
    OpenSupportPage();
}

void CWizardStepDlg::OnExit()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CWizardStepDlg::OnFileExit()
{
    ConfirmExit(*this, ExitPrompt::C);
}

BOOL CWizardStepDlg::OnHelpInfo(HELPINFO*)
{
    OpenHelpFile();
    return FALSE;
}
