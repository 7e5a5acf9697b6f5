// CWinApp: the application object. Exactly one lives as a global; the
// program entry of this library (AfxWinMain) runs its InitInstance and, when
// that returns TRUE, its Run.
#pragma once

#include "afx/WinThread.h"

class CWnd;

// The framework's command of a Help menu item or of F1 routed as a command.
constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    BOOL InitInstance() override;
    // Runs the thread's message loop until WM_QUIT.
    int Run() override;

    // An icon of the framework's resource module (shared: never destroyed).
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadStandardIcon(LPCWSTR lpszIconName) const;

    // The framework's per-user settings key; kept, never used for storage here.
    void SetRegistryKey(LPCWSTR registryKey);
    LPCWSTR GetRegistryKey() const;

    // The framework's help command: asks the main window for help as F1 on
    // it would (WM_HELP); with no main window it does nothing.
    void OnHelp();

    LPCWSTR m_pszAppName = nullptr;

private:
    const WCHAR* m_pszRegistryKey = nullptr;
    struct Storage;
    Storage* m_storage;
};

CWinApp* AfxGetApp();
LPCWSTR AfxGetAppName();

// Allows dialogs to hold hosted controls; a flag here, since no control
// container is needed by the programs of this system.
void AfxEnableControlContainer();
bool AfxControlContainerEnabled();

// The program entry: makes the application the thread object of the
// calling thread and runs it: InitInstance, then Run when it returns TRUE.
int AfxWinMain();
