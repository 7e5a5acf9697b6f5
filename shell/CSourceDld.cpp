#include "CSourceDld.h"

#include "AppSettings.h"
#include "BackupCopy.h"
#include "MarlwickDlg.h"
#include "Ctreedlg.h"
#include "StepChecks.h"
#include "StepLog.h"
#include "ToolButtons.h"
#include "WizardChain.h"
#include "WizardIds.h"
#include "WizardSelections.h"
#include "user/CommDlg.h"
#include "win32/FileApi.h"

int g_nMailBodyFormat = 0;
StringNode* g_pBackupSrcList = nullptr;
StringNode* g_pBackupDstList = nullptr;

namespace {

constexpr int kNsfPath = 1012;
constexpr int kBackupPath = 1013;
constexpr int kBackupCheck = 1014;
constexpr int kBrowseNsf = 1015;
constexpr int kBrowseBackup = 1016;
constexpr int kNext = 3;
constexpr int kTxtFormat = 1049;
constexpr int kRtfFormat = 1050;

constexpr UINT kInformation = 0x1040;
constexpr UINT kStop = 0x1010;

constexpr LPCWSTR kNotesKey = u"Software\\Lotus\\Notes\\Installer";
constexpr LPCWSTR kSamePath = u"Existing NSF file path and Backup Path are same, please specify different path.";

} // namespace

BEGIN_MESSAGE_MAP(CSourceDld, CWizardStepDlg)
ON_BN_CLICKED(kNext, &CSourceDld::OnNext)
ON_BN_CLICKED(kBrowseNsf, &CSourceDld::OnBrowseNsf)
ON_BN_CLICKED(kBrowseBackup, &CSourceDld::OnBrowseBackup)
ON_BN_CLICKED(kBackupCheck, &CSourceDld::OnBackupCheck)
ON_BN_CLICKED(kTxtFormat, &CSourceDld::OnTxtFormat)
ON_BN_CLICKED(kRtfFormat, &CSourceDld::OnRtfFormat)
ON_BN_CLICKED(IDC_BACK, &CSourceDld::OnBack)
END_MESSAGE_MAP()

CSourceDld::CSourceDld(CWnd* pParent)
    : CWizardStepDlg(IDD, pParent)
{
}

void CSourceDld::DoDataExchange(CDataExchange* pDX)
{
    CWizardStepDlg::DoDataExchange(pDX);
    DDX_Control(pDX, kBrowseNsf, m_btnBrowseNsf);
    DDX_Control(pDX, kBrowseBackup, m_btnBrowseBackup);
    DDX_Control(pDX, kNext, m_btnNext);
    DDX_Control(pDX, IDC_BACK, m_btnBack);
    DDX_Control(pDX, kBackupCheck, m_chkBackup);
    DDX_Control(pDX, kNsfPath, m_edtNsfPath);
    DDX_Control(pDX, kBackupPath, m_edtBackupPath);
    DDX_Control(pDX, kTxtFormat, m_radTxt);
    DDX_Control(pDX, kRtfFormat, m_radRtf);
}

BOOL CSourceDld::OnInitDialog()
{
    CWizardStepDlg::OnInitDialog();
    SetWindowText(g_szAppTitle);
    const bool mail = g_nConvMode == 1;
    m_radTxt.ShowWindow(mail ? SW_SHOW : SW_HIDE);
    m_radRtf.ShowWindow(mail ? SW_SHOW : SW_HIDE);
    if (g_nConvMode == 2)
        FindNotesAddressBook();
    else if (g_nConvMode == 1 || g_nConvMode == 3)
        FindNotesMailFile();
    m_btnBrowseBackup.EnableWindow(FALSE);
    SetUpToolButtons(m_btnViewLog, m_btnSupport, m_btnExit);
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"FilePath", g_szInstallDir);
    LoadStepPictures(u"\\step2.bmp");
    m_radTxt.SetCheck(BST_CHECKED);
    g_nMailBodyFormat = 1;
    return TRUE;
}

bool CSourceDld::ReadNotesDataFolder(CString& folder)
{
    // An empty value is still a value: only a key or value that cannot be
    // read means that Notes is missing.
    WCHAR value[MAX_PATH];
    bool read = false;
    ReadRegString(HKEY_CURRENT_USER, kNotesKey, u"DirectoryValue", value, &read);
    if (!read) {
        MessageBox(u"Lotus Notes not found installed or corrupted. Please install Lotus Notes & re-run conversion "
                   u"Application",
                   g_szMsgCaption, 0);
        return false;
    }
    folder = value;
    return true;
}

void CSourceDld::FindNotesMailFile()
{
    CString folder;
    if (!ReadNotesDataFolder(folder))
        return;
    // The data folder's value ends with a backslash in a Notes installation;
    // nothing is put between them.
    folder += u"mail\\";
    const CString pattern = folder + u"*.nsf";
    if (pattern.GetLength() >= MAX_PATH)
        return;
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    ::FindClose(search);
    const CString path = folder + found.cFileName;
    if (path.GetLength() < MAX_PATH)
        ProposeNsf(path);
}

void CSourceDld::FindNotesAddressBook()
{
    CString folder;
    if (!ReadNotesDataFolder(folder))
        return;
    const CString path = folder + u"names.nsf";
    if (path.GetLength() < MAX_PATH)
        ProposeNsf(path);
}

void CSourceDld::ProposeNsf(const CString& path)
{
    SetDlgItemText(kNsfPath, path);
    g_strNsfPath = path;
}

void CSourceDld::OnBrowseNsf()
{
    EnableWindow(FALSE);
    for (CWnd* button : {static_cast<CWnd*>(&m_btnBack), static_cast<CWnd*>(&m_btnNext),
                         static_cast<CWnd*>(&m_btnBrowseNsf), static_cast<CWnd*>(&m_btnBrowseBackup)})
        button->EnableWindow(FALSE);

    WCHAR file[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = u"NSF (*.NSF)\0*.nsf\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    if (::GetOpenFileNameW(&ofn)) {
        m_edtNsfPath.EnableWindow(TRUE);
        SetDlgItemText(kNsfPath, file);
        GetDlgItemText(kNsfPath, g_strNsfPath);
    }

    if (m_chkBackup.GetCheck() == BST_CHECKED)
        m_btnBrowseBackup.EnableWindow(TRUE);
    m_btnBrowseNsf.EnableWindow(TRUE);
    m_btnBack.EnableWindow(TRUE);
    m_btnNext.EnableWindow(TRUE);
    EnableWindow(TRUE);
}

void CSourceDld::OnBrowseBackup()
{
    EnableWindow(FALSE);
    CString folder;
    if (BrowseForBackupFolder(folder))
        SetDlgItemText(kBackupPath, folder);
    EnableWindow(TRUE);
}

void CSourceDld::OnBackupCheck()
{
    m_btnBrowseBackup.EnableWindow(m_chkBackup.GetCheck() == BST_CHECKED);
}

void CSourceDld::OnTxtFormat()
{
    g_nMailBodyFormat = 1;
    m_radTxt.SetCheck(BST_CHECKED);
    m_radRtf.SetCheck(BST_UNCHECKED);
}

void CSourceDld::OnRtfFormat()
{
    g_nMailBodyFormat = 0;
    m_radTxt.SetCheck(BST_UNCHECKED);
    m_radRtf.SetCheck(BST_CHECKED);
}

void CSourceDld::OnBack()
{
    CDialog::OnCancel();
}

bool CSourceDld::CheckSource()
{
    if (!HasExtension(g_strNsfPath, u".nsf")) {
        MessageBox(u"Not a valid NSF file.", g_szMsgCaption, kInformation);
        return false;
    }
    if (_waccess(g_strNsfPath, 0) != 0) {
        MessageBox(u"Source path does't exist.", g_szMsgCaption, kInformation);
        return false;
    }
    return true;
}

bool CSourceDld::CheckBackup(const CString& backup)
{
    if (FolderBesideBackup(g_strNsfPath, backup).CompareNoCase(backup) == 0) {
        MessageBox(kSamePath, g_szMsgCaption, kInformation);
        return false;
    }
    if (!IsExistingFolder(backup)) {
        MessageBox(u"Backup path does't exist.", g_szMsgCaption, kInformation);
        return false;
    }
    if (g_strNsfPath.Compare(backup) == 0) {
        MessageBox(kSamePath, g_szMsgCaption, kInformation);
        return false;
    }
    ULONGLONG size = 0;
    if (!TakeExclusiveSize(g_strNsfPath, &size)) {
        MessageBox(u"File already in use.", g_szMsgCaption, kStop);
        return false;
    }
    if (!HasRoomFor(backup, size)) {
        MessageBox(u"Not enough space at the destination. Please select different location.", g_szMsgCaption, kStop);
        return false;
    }
    return true;
}

void CSourceDld::OnNext()
{
    CString backup;
    GetDlgItemText(kBackupPath, backup);
    GetDlgItemText(kNsfPath, g_strNsfPath);
    if (!CheckSource())
        return;
    if (m_chkBackup.GetCheck() == BST_CHECKED) {
        if (!CheckBackup(backup))
            return;
        RunBackupCopy(*this, g_strNsfPath, BackupDestination(g_strNsfPath, backup));
    }

    CString nsfText;
    GetDlgItemText(kNsfPath, nsfText);
    WriteStepHeading(2);
    WriteStepLine(u"NSF Source Path : ", nsfText);
    WriteStepLine(u"Backup NSF Path : ", backup);

    RunNextStep<Ctreedlg>(*this);
}
