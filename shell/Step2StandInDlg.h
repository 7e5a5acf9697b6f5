// The stand-in for wizard step 2 until that step is built: a page with the
// wizard's menu and a Back button, so that step 1's Next, Back and the
// routing of the menu to the main dialog run now. Replace it with the real
// step 2 (dialog 136) in MarlwickDlg.cpp's OnNext.
#pragma once

#include "controls/SkinDialog.h"

class CStep2StandInDlg : public CSkinDialog {
public:
    enum { IDD = 199 };
    CStep2StandInDlg();

protected:
    BOOL OnInitDialog() override;
    // Escape and the close box: exit prompt A, as in every later step.
    void OnCancel() override;

    afx_msg void OnBack();
    afx_msg void OnFileExit();

    DECLARE_MESSAGE_MAP()
};
