// CDialog: a dialog box from a template of the program's resources, run
// modally by DoModal, and the exchange of its controls' data with members.
//
// A dialog made without a parent is owned by the main window of the
// application. Its modal loop offers every message to the PreTranslateMessage
// chain before the dialog manager sees it, so a dialog may take a key away.
// A menu command (an id from 0x8000 up) that the dialog's map does not handle
// goes on to its owner window's map, and from there to that one's owner.
#pragma once

#include "afx/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // The result passed to EndDialog; -1 when the template is missing or the
    // dialog cannot be made.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    // Exchanges the controls' data with the members (TRUE: from the controls).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Runs the data exchange from the members (binding the controls that
    // DDX_Control names); TRUE gives the focus to the first control.
    virtual BOOL OnInitDialog();
    // The framework's OK: takes the controls' data and ends with IDOK.
    virtual void OnOK();
    // The framework's cancel: ends with IDCANCEL.
    virtual void OnCancel();

    // Keyboard and mouse input of the dialog goes to the dialog manager.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);

    UINT m_nIDHelp = 0;
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    // The owner for a modal run; a top-level window above it is disabled
    // until PostModal.
    HWND PreModal();
    void PostModal();

    DECLARE_MESSAGE_MAP()

private:
    friend INT_PTR AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWndTop = nullptr;
};

// A dialog the system makes itself (no template of the program), derived
// classes supply DoModal.
class CCommonDialog : public CDialog {
    DECLARE_DYNAMIC(CCommonDialog)

public:
    explicit CCommonDialog(CWnd* pParentWnd);
};

// The dialog procedure of the framework's dialogs: it binds the dialog to
// its CDialog and runs OnInitDialog; every other message reaches the map
// through AfxWndProc.
INT_PTR AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
