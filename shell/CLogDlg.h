// The log-folder dialog (dialog 137): shows the folder of "Activity Log.txt",
// offers a folder browser, and on Apply stores an existing folder in the
// registry value LogPath and in g_szLogDir.
#pragma once

#include "controls/SkinDialog.h"

class CLogDlg : public CSkinDialog {
public:
    enum { IDD = 137 };
    explicit CLogDlg(CWnd* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnBrowse();
    afx_msg void OnApply();

    DECLARE_MESSAGE_MAP()

    CEdit m_edtLogPath; // 1012
};
