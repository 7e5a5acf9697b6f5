// STAND-IN for wizard step 4 until that step is built: its template (148)
// with Back, Exit, File / Exit and the exit prompt of Escape, so that step
// 3's Next and the Back that returns to it run now. Its Back frees the
// selected-folder list, as step 4's does. Replace it with the real step 4 in
// Ctreedlg::OnNext, the only place that runs it.
#pragma once

#include "controls/SkinDialog.h"

class CStep4StandInDlg : public CSkinDialog {
public:
    enum { IDD = 148 };
    CStep4StandInDlg();

protected:
    void OnCancel() override;

    afx_msg void OnBack();
    afx_msg void OnExit();
    afx_msg void OnFileExit();

    DECLARE_MESSAGE_MAP()
};
