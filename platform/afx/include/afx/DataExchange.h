// The exchange of a dialog's control data with its members.
#pragma once

#include "afx/Dialog.h"
#include "afx/Exception.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate; // TRUE: from the controls to the members
    CWnd* m_pDlgWnd;

    // The control of that id; throws CNotSupportedException when the
    // template has none, a fault of the program, not of the user.
    HWND PrepareCtrl(int nIDC);
};

// Binds the member to the template's control and subclasses it, so that the
// member's own map sees the control's messages; once per window.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
