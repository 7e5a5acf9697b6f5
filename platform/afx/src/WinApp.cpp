#include "afx/WinApp.h"

#include "afx/Wnd.h"
#include "user/Help.h"
#include "user/Icons.h"
#include "user/Script.h"

#include <atomic>
#include <string>

namespace {
CWinApp* g_app = nullptr;
std::atomic<bool> g_controlContainer{false};
} // namespace

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

struct CWinApp::Storage {
    std::u16string appName;
    std::u16string registryKey;
};

CWinApp::CWinApp(LPCWSTR appName)
    : m_storage(new Storage)
{
    if (appName) {
        m_storage->appName = appName;
        m_pszAppName = m_storage->appName.c_str();
    }
    m_bAutoDelete = FALSE; // a global, destroyed with the program
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
    delete m_storage;
}

void CWinApp::OnHelp()
{
    HWND main = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    if (!main)
        return;
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(main);
    info.hItemHandle = main;
    ::SendMessageW(main, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    return CWinThread::Run();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(static_cast<WORD>(nIDResource)));
}

HICON CWinApp::LoadStandardIcon(LPCWSTR lpszIconName) const
{
    return ::LoadIconW(nullptr, lpszIconName);
}

void CWinApp::SetRegistryKey(LPCWSTR registryKey)
{
    m_storage->registryKey = registryKey ? registryKey : u"";
    m_pszRegistryKey = m_storage->registryKey.c_str();
}

LPCWSTR CWinApp::GetRegistryKey() const
{
    return m_pszRegistryKey;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

LPCWSTR AfxGetAppName()
{
    return g_app ? g_app->m_pszAppName : nullptr;
}

void AfxEnableControlContainer()
{
    g_controlContainer = true;
}

bool AfxControlContainerEnabled()
{
    return g_controlContainer;
}

int AfxWinMain()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_nThreadID = ::GetCurrentThreadId();
    AfxSetThread(app);
    // A run driven by a script (MARLWICK_SCRIPT) starts its driver first.
    user::automation::StartScriptFromEnvironment();
    int code = app->InitInstance() ? app->Run() : app->ExitInstance();
    user::automation::ProgramRunEnded();
    return code;
}
