#include "CLogDlg.h"

#include "AppSettings.h"
#include "CFolderDialog.h"
#include "win32/FileApi.h"
#include "win32/WideString.h"

namespace {

constexpr int kLogPathEdit = 1012;
constexpr int kBrowseButton = 1004;
// File-system folders only, an edit box, the new dialog style.
constexpr UINT kBrowseFlags = 0x51;

} // namespace

BEGIN_MESSAGE_MAP(CLogDlg, CSkinDialog)
ON_BN_CLICKED(kBrowseButton, &CLogDlg::OnBrowse)
ON_BN_CLICKED(IDOK, &CLogDlg::OnApply)
END_MESSAGE_MAP()

CLogDlg::CLogDlg(CWnd* pParent)
    : CSkinDialog(IDD, pParent)
{
}

void CLogDlg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kLogPathEdit, m_edtLogPath);
}

BOOL CLogDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    SetDlgItemText(kLogPathEdit, g_szLogDir);
    SetWindowText(g_szAppTitle);
    m_skin.Load(CString(g_szInstallDir) + u"\\Skin.bmp");
    return TRUE;
}

void CLogDlg::OnBrowse()
{
    CFolderDialog browser(u"Select Folder:", nullptr, this, kBrowseFlags);
    if (browser.DoModal() != IDOK)
        return;
    WCHAR path[MAX_PATH] = {};
    lstrcpynW(path, browser.GetFolderPath(), MAX_PATH);
    SetDlgItemText(kLogPathEdit, path);
}

void CLogDlg::OnApply()
{
    CString folder;
    GetDlgItemText(kLogPathEdit, folder);
    // A text of MAX_PATH characters or more fits neither g_szLogDir nor the
    // writer's buffer; it is refused like a folder that does not exist.
    if (folder.GetLength() >= MAX_PATH || _waccess(folder, 0) != 0) {
        MessageBox(u"Path Does't exists", g_szMsgCaption, 0x1010);
    } else {
        WriteRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"LogPath", folder);
        wcscpy_s(g_szLogDir, MAX_PATH, folder);
    }
    CSkinDialog::OnOK();
}
