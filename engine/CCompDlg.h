// The completion dialog (dialog 153): the last window of every conversion
// run. It starts the Outlook closer, removes the RTF body file, shows and
// logs the result; OK and Cancel end the process, after opening the log
// when "View Log File" is checked.
#pragma once

#include "afx/AfxWin.h"
#include "controls/Skin.h"

class CCompDlg : public CDialog {
    DECLARE_DYNAMIC(CCompDlg)

public:
    explicit CCompDlg(CWnd* pParent = nullptr);

    CButton m_chkViewLog;
    // "\Skin.bmp", painted as the background by the skin.
    CDialogSkin m_hbmSkin;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()

private:
    // What OK and Cancel do before the process ends.
    void CloseRun();
};

// Ends this process at once with exit code 0, without the runtime's
// clean-up; returns only when the process cannot be opened or ended.
void TerminateOwnProcess();
