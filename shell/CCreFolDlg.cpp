#include "CCreFolDlg.h"

#include "AppSettings.h"
#include "Step6.h"
#include "MarlwickDlg.h"
#include "StepLog.h"
#include "ToolButtons.h"
#include "WizardIds.h"
#include "WizardSelections.h"
#include "win32/Clock.h"
#include "win32/WideString.h"

namespace {

constexpr int kFolderName = 1013;
constexpr int kEditNameCheck = 1014;
constexpr int kNote = 1043;

} // namespace

BEGIN_MESSAGE_MAP(CCreFolDlg, CWizardStepDlg)
ON_BN_CLICKED(IDOK, &CCreFolDlg::OnConvert)
ON_BN_CLICKED(IDC_BACK, &CCreFolDlg::OnBack)
END_MESSAGE_MAP()

CCreFolDlg::CCreFolDlg(CWnd* pParent)
    : CWizardStepDlg(IDD, pParent)
{
}

void CCreFolDlg::DoDataExchange(CDataExchange* pDX)
{
    CWizardStepDlg::DoDataExchange(pDX);
    DDX_Control(pDX, kEditNameCheck, m_chkEditName);
    DDX_Control(pDX, kFolderName, m_edtFolderName);
    DDX_Control(pDX, kNote, m_lblNote);
}

BOOL CCreFolDlg::OnInitDialog()
{
    CWizardStepDlg::OnInitDialog();
    SetWindowText(g_szAppTitle);
    SetUpToolButtons(m_btnViewLog, m_btnSupport, m_btnExit);
    LoadStepPictures(g_nConvMode == 2   ? u"\\step5_add.bmp"
                     : g_nConvMode == 3 ? u"\\step5_cal.bmp"
                                        : u"\\step5_mail.bmp");
    m_lblNote.SetFontSize(10);
    m_lblNote.SetFontBold(TRUE);
    m_lblNote.SetTransparent(TRUE);
    m_chkEditName.ShowWindow(SW_HIDE);

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    WCHAR name[MAX_PATH];
    StringCchPrintfW(name, MAX_PATH, u"%d-%d-%d %d:%d", now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute);
    SetDlgItemText(kFolderName, name);
    return TRUE;
}

void CCreFolDlg::OnConvert()
{
    GetDlgItemText(kFolderName, g_strPstFolderName);
    if (g_strPstFolderName.IsEmpty()) {
        MessageBox(u"Cannot continue, please specify folder name.", g_szMsgCaption, 0x1040);
        return;
    }
    WriteStepHeading(5);
    WriteStepLine(u"New Folder in PST : ", g_strPstFolderName);
    RunStep6(*this);
}

void CCreFolDlg::OnBack()
{
    g_bUpdateExistingPst = 0;
    CDialog::OnCancel();
}
