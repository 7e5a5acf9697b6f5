// A dialog that wears the skin: its erase-background and control-colour
// messages go to its CDialogSkin, which the dialog loads in OnInitDialog
// with its own bitmap ("\main.bmp" for the wizard's steps, "\Skin.bmp" for
// the small dialogs). Every skinned dialog derives from it.
#pragma once

#include "controls/Skin.h"

class CSkinDialog : public CDialog {
public:
    explicit CSkinDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    const CDialogSkin& GetSkin() const { return m_skin; }

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()

    CDialogSkin m_skin;
};
