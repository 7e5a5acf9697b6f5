#include "MarlwickApp.h"

#include "AppSettings.h"
#include "MarlwickDlg.h"
#include "user/CommCtrl.h"

// The framework's help command goes to its default handler; nothing in the
// program raises it.
BEGIN_MESSAGE_MAP(CMarlwickApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CMarlwickApp::CMarlwickApp() = default;

BOOL CMarlwickApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    InitAppSettings();
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"FilePath", g_szInstallDir);
    SetRegistryKey(u"Local AppWizard-Generated Applications");

    CMarlwickDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}
