#include "MarlwickApp.h"

#include "AppSettings.h"
#include "MarlwickDlg.h"
#include "user/CommCtrl.h"
#include "user/MessageBox.h"
#include "win32/FileApi.h"
#include "win32/Mutex.h"

namespace {

// Held until the process ends: two runs on one machine would share the fixed
// temporary files of the conversion, and the messages of one would end up in
// the other's PST.
constexpr LPCWSTR kSingleRunMutex = u"Global\\Pellinor NSF to PST conversion";
constexpr LPCWSTR kAlreadyRunning = u"A conversion is already running on this machine. Please wait until it has "
                                    u"ended and start the conversion again.";

// False when another process holds the mutex. A mutex that cannot be made
// at all does not stop the run.
bool ClaimSingleRun()
{
    static HANDLE s_held = nullptr;
    if (s_held)
        return true;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kSingleRunMutex);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    s_held = mutex;
    return true;
}

} // namespace

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
    if (!ClaimSingleRun()) {
        ::MessageBoxW(nullptr, kAlreadyRunning, g_szMsgCaption, MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"FilePath", g_szInstallDir);
    SetRegistryKey(u"Local AppWizard-Generated Applications");

    CMarlwickDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}
