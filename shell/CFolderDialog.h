// The shell's folder browser as a framework dialog: the caller gives a
// title, an optional folder to select at start, an owner and the browser's
// flags, runs it modally and reads the chosen folder's file-system path.
#pragma once

#include "afx/AfxWin.h"
#include "user/ShlObj.h"

class CFolderDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CFolderDialog)

public:
    // The title is kept by pointer; the initial folder is copied.
    CFolderDialog(LPCWSTR lpszTitle, LPCWSTR lpszInitialFolder, CWnd* pParentWnd, UINT uFlags);
    ~CFolderDialog() override;

    // IDOK with a folder and its path, -1 for a folder without a file-system
    // path, IDCANCEL when the user cancelled.
    INT_PTR DoModal() override;
    // The chosen folder, after DoModal gave IDOK.
    LPCWSTR GetFolderPath() const { return m_szFolderPath; }

    // The callback handed to the shell; pData is the dialog object.
    static int BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM pData);

protected:
    // Selects the initial folder, when one was given.
    virtual void OnInitialized();
    // With BIF_STATUSTEXT, shows the selected folder's path as the status.
    virtual void OnSelChanged(PCIDLIST_ABSOLUTE pidl);
    // A name typed with BIF_VALIDATE is no folder: beeps, keeps the browser open.
    virtual int OnValidateFailed(LPCWSTR lpszText);
    virtual void OnIUnknown(void* pUnknown);

    BROWSEINFOW m_bi = {};
    WCHAR m_szSelPath[MAX_PATH] = {};
    WCHAR m_szFolderPath[MAX_PATH] = {};
    // The browser's window while a callback runs, else null.
    HWND m_hBrowser = nullptr;
};
