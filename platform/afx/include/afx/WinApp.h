// CWinApp: the application object. Exactly one lives as a global; the
// program entry of this library (AfxWinMain) runs its InitInstance and, when
// that returns TRUE, its Run.
#pragma once

#include "win32/Types.h"

class CWnd;

class CWinApp {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    // The framework's per-user settings key; kept, never used for storage here.
    void SetRegistryKey(LPCWSTR registryKey);
    LPCWSTR GetRegistryKey() const;

    CWnd* m_pMainWnd = nullptr;
    LPCWSTR m_pszAppName = nullptr;

private:
    const WCHAR* m_pszRegistryKey = nullptr;
    struct Storage;
    Storage* m_storage;
};

CWinApp* AfxGetApp();

// Allows dialogs to hold hosted controls; a flag here, since no control
// container is needed by the programs of this system.
void AfxEnableControlContainer();
bool AfxControlContainerEnabled();

// The program entry: runs the global application object.
int AfxWinMain();
