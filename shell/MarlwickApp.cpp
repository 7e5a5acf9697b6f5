#include "MarlwickApp.h"

#include "AppSettings.h"
#include "MarlwickDlg.h"

CMarlwickApp::CMarlwickApp() = default;

BOOL CMarlwickApp::InitInstance()
{
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    InitAppSettings();
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"FilePath", g_szInstallDir);
    SetRegistryKey(u"Local AppWizard-Generated Applications");

    CMarlwickDlg dlg;
    dlg.DoModal();
    return FALSE;
}
