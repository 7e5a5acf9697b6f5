#include "CTrgDlg.h"

#include "AppSettings.h"
#include "BackupCopy.h"
#include "CCreFolDlg.h"
#include "CFolderDialog.h"
#include "MinimizedIcon.h"
#include "StepChecks.h"
#include "StepLog.h"
#include "TargetStepIds.h"
#include "ToolButtons.h"
#include "WizardChain.h"
#include "WizardIds.h"
#include "WizardSelections.h"
#include "user/CommDlg.h"
#include "user/Icons.h"
#include "win32/Clock.h"
#include "win32/FileApi.h"
#include "win32/WideString.h"

WCHAR g_szPstPath[MAX_PATH];
int g_bUpdateExistingPst = 0;

namespace {

constexpr UINT kIconProgram = 128;
using namespace target_step;

constexpr UINT kInformation = 0x1040;
constexpr UINT kStop = 0x1010;
// File-system folders only, an edit box, the new dialog style.
constexpr UINT kFolderFlags = 0x51;

constexpr LPCWSTR kPstMissing = u"PST path does't exist.";
constexpr LPCWSTR kSamePath = u"Existing PST file path and Backup Path are same, please specify different path.";

} // namespace

BEGIN_MESSAGE_MAP(CTrgDlg, CWizardStepDlg)
ON_BN_CLICKED(IDOK, &CTrgDlg::OnNext)
ON_BN_CLICKED(kNewPst, &CTrgDlg::OnNewPst)
ON_BN_CLICKED(kExistingPst, &CTrgDlg::OnExistingPst)
ON_BN_CLICKED(kBackupCheck, &CTrgDlg::OnBackupCheck)
ON_BN_CLICKED(kBrowseNew, &CTrgDlg::OnBrowseNewPst)
ON_BN_CLICKED(kBrowseExisting, &CTrgDlg::OnBrowseExistingPst)
ON_BN_CLICKED(kBrowseBackup, &CTrgDlg::OnBrowseBackup)
ON_BN_CLICKED(IDC_BACK, &CTrgDlg::OnBack)
ON_WM_PAINT()
END_MESSAGE_MAP()

CTrgDlg::CTrgDlg(CWnd* pParent)
    : CWizardStepDlg(IDD, pParent)
    , m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kIconProgram)))
{
}

void CTrgDlg::DoDataExchange(CDataExchange* pDX)
{
    CWizardStepDlg::DoDataExchange(pDX);
    DDX_Control(pDX, kNewPath, m_edtNewPst);
    DDX_Control(pDX, kExistingPath, m_edtExistingPst);
    DDX_Control(pDX, kBackupPath, m_edtBackupPath);
    DDX_Control(pDX, kBrowseNew, m_btnBrowseNew);
    DDX_Control(pDX, kBrowseExisting, m_btnBrowseExisting);
    DDX_Control(pDX, kBrowseBackup, m_btnBrowseBackup);
    DDX_Control(pDX, kNewPst, m_radNew);
    DDX_Control(pDX, kExistingPst, m_radExisting);
    DDX_Control(pDX, kBackupCheck, m_chkBackup);
    DDX_Control(pDX, IDC_BACK, m_btnBack);
    DDX_Control(pDX, IDOK, m_btnNext);
}

BOOL CTrgDlg::OnInitDialog()
{
    CWizardStepDlg::OnInitDialog();
    SetWindowText(g_szAppTitle);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    m_radExisting.SetCheck(BST_CHECKED);
    m_btnBrowseNew.EnableWindow(FALSE);
    m_btnBrowseBackup.EnableWindow(FALSE);
    SetUpToolButtons(m_btnViewLog, m_btnSupport, m_btnExit);
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"FilePath", g_szInstallDir);
    LoadStepPictures(u"\\step4.bmp");
    return TRUE;
}

void CTrgDlg::OnPaint()
{
    if (IsIconic())
        PaintMinimizedIcon(*this, m_hIcon);
    else
        CWizardStepDlg::OnPaint();
}

void CTrgDlg::OnNewPst()
{
    m_btnBrowseNew.EnableWindow(TRUE);
    m_btnBrowseExisting.EnableWindow(FALSE);
    m_btnBrowseBackup.EnableWindow(FALSE);
}

void CTrgDlg::OnExistingPst()
{
    m_btnBrowseNew.EnableWindow(FALSE);
    m_btnBrowseExisting.EnableWindow(TRUE);
    if (m_chkBackup.GetCheck() == BST_CHECKED)
        m_btnBrowseBackup.EnableWindow(TRUE);
}

void CTrgDlg::OnBackupCheck()
{
    m_btnBrowseBackup.EnableWindow(m_chkBackup.GetCheck() == BST_CHECKED);
}

void CTrgDlg::OnBrowseNewPst()
{
    CFolderDialog browser(u"Select Folder:", nullptr, this, kFolderFlags);
    if (browser.DoModal() != IDOK)
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    WCHAR stamp[MAX_PATH];
    StringCchPrintfW(stamp, MAX_PATH, u"%d-%d-%d %d-%d", now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute);
    const CString folder = browser.GetFolderPath();
    const bool rooted = !folder.IsEmpty() && folder[folder.GetLength() - 1] == u'\\';
    const CString proposal = folder + (rooted ? u"Tolvane " : u"\\Tolvane ") + stamp + u".pst";
    // A name cut to the buffer would name another file: a folder too deep
    // for the whole name proposes nothing.
    if (!StorePstPath(proposal))
        return;
    SetDlgItemText(kNewPath, g_szPstPath);
}

void CTrgDlg::OnBrowseExistingPst()
{
    const bool backup = m_chkBackup.GetCheck() == BST_CHECKED;
    EnableWindow(FALSE);
    m_btnBrowseExisting.EnableWindow(FALSE);
    m_btnBack.EnableWindow(FALSE);
    m_btnNext.EnableWindow(FALSE);
    if (backup)
        m_btnBrowseBackup.EnableWindow(FALSE);

    WCHAR file[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = u"PST (*.PST)\0*.pst\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    if (::GetOpenFileNameW(&ofn)) {
        SetDlgItemText(kExistingPath, file);
        lstrcpynW(g_szPstPath, file, MAX_PATH);
    }

    m_btnBrowseExisting.EnableWindow(TRUE);
    m_btnBack.EnableWindow(TRUE);
    m_btnNext.EnableWindow(TRUE);
    EnableWindow(TRUE);
    if (m_chkBackup.GetCheck() == BST_CHECKED) {
        m_btnBrowseBackup.EnableWindow(TRUE);
        m_edtBackupPath.EnableWindow(TRUE);
    }
}

void CTrgDlg::OnBrowseBackup()
{
    EnableWindow(FALSE);
    CString folder;
    if (BrowseForBackupFolder(folder))
        SetDlgItemText(kBackupPath, folder);
    EnableWindow(TRUE);
}

void CTrgDlg::OnBack()
{
    FreeStringList(&g_pSelFolderList);
    CDialog::OnCancel();
}

bool CTrgDlg::StorePstPath(const CString& path)
{
    if (path.GetLength() >= MAX_PATH)
        return false;
    wcscpy_s(g_szPstPath, MAX_PATH, path);
    return true;
}

bool CTrgDlg::TakeNewPst()
{
    CString path;
    GetDlgItemText(kNewPath, path);
    if (!HasExtension(path, u".pst")) {
        MessageBox(u"New PST File not specified.", g_szMsgCaption, kInformation);
        return false;
    }
    const CString folder = path.Left(path.ReverseFind(u'\\') + 1);
    if (folder.IsEmpty() || _waccess(folder, 0) != 0 || !StorePstPath(path)) {
        MessageBox(kPstMissing, g_szMsgCaption, kInformation);
        return false;
    }
    // The target is a new file: nothing may still ask for an existing one.
    g_bUpdateExistingPst = 0;
    return true;
}

bool CTrgDlg::TakeExistingPst()
{
    g_bUpdateExistingPst = 1;
    CString path, backup;
    GetDlgItemText(kExistingPath, path);
    GetDlgItemText(kBackupPath, backup);
    if (_waccess(path, 0) != 0 || !StorePstPath(path)) {
        MessageBox(kPstMissing, g_szMsgCaption, kInformation);
        return false;
    }
    if (m_chkBackup.GetCheck() != BST_CHECKED)
        return true;
    if (backup.IsEmpty()) {
        MessageBox(u"Please select backup path.", g_szMsgCaption, kInformation);
        return false;
    }
    if (path.Compare(backup) == 0 || FolderBesideBackup(path, backup).CompareNoCase(backup) == 0) {
        MessageBox(kSamePath, g_szMsgCaption, kInformation);
        return false;
    }
    if (!IsExistingFolder(backup)) {
        MessageBox(u"Backup path does't exist.", g_szMsgCaption, kInformation);
        return false;
    }
    ULONGLONG size = 0;
    if (!TakeExclusiveSize(path, &size)) {
        MessageBox(u"File already in use.", g_szMsgCaption, kStop);
        return false;
    }
    if (!HasRoomFor(backup, size)) {
        MessageBox(u"Not enough space at the destination. Please select different location.", g_szMsgCaption, kStop);
        return false;
    }
    RunBackupCopy(*this, path, BackupDestination(path, backup));
    return true;
}

void CTrgDlg::OnNext()
{
    if (m_radNew.GetCheck() == BST_CHECKED && !TakeNewPst())
        return;
    if (m_radExisting.GetCheck() == BST_CHECKED && !TakeExistingPst())
        return;

    CString newPst, existingPst, backup;
    GetDlgItemText(kNewPath, newPst);
    GetDlgItemText(kExistingPath, existingPst);
    GetDlgItemText(kBackupPath, backup);
    WriteStepHeading(4);
    WriteStepLine(u"New PST File Path : ", newPst);
    WriteStepLine(u"Default PST Path : ", existingPst);
    WriteStepLine(u"Backup PST Path : ", backup);

    RunNextStep<CCreFolDlg>(*this);
}
