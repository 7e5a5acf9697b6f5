#include "MarlwickDlg.h"

#include "ActivityLog.h"
#include "AppSettings.h"
#include "win32/Clock.h"
#include "win32/FileApi.h"

namespace {
constexpr DWORD kSplashPause = 2500;
}

int CMarlwickDlg::DoModal()
{
    OnInitDialog();
    return 2; // IDCANCEL
}

BOOL CMarlwickDlg::OnInitDialog()
{
    Sleep(kSplashPause);
    WriteLogStartBlock();
    CString attachments = CString(g_szInstallDir) + u"\\Attachment";
    CreateDirectoryW(attachments, nullptr);
    return TRUE;
}
