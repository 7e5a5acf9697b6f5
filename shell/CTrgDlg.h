// Wizard step 4 (dialog 148): the target PST, either a new file whose name
// is proposed from a chosen folder and the local time, or an existing file
// that the conversion updates, with an optional backup of it first.
#pragma once

#include "WizardStepDlg.h"

class CTrgDlg : public CWizardStepDlg {
public:
    enum { IDD = 148 };
    explicit CTrgDlg(CWnd* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnNext();
    afx_msg void OnNewPst();
    afx_msg void OnExistingPst();
    afx_msg void OnBackupCheck();
    afx_msg void OnBrowseNewPst();
    afx_msg void OnBrowseExistingPst();
    afx_msg void OnBrowseBackup();
    afx_msg void OnBack();
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    // The checks of each choice, in their order; false after the failing
    // check's message.
    bool TakeNewPst();
    bool TakeExistingPst();
    // g_szPstPath becomes the text; false (and no change) for a text too long
    // to be a path.
    static bool StorePstPath(const CString& path);

    HICON m_hIcon;
    CEdit m_edtNewPst;           // 1028
    CEdit m_edtExistingPst;      // 1012
    CEdit m_edtBackupPath;       // 1013
    CButton m_btnBrowseNew;      // 1029
    CButton m_btnBrowseExisting; // 1015
    CButton m_btnBrowseBackup;   // 1016
    CButton m_radNew;            // 1010
    CButton m_radExisting;       // 1011
    CButton m_chkBackup;         // 1014
    CButton m_btnBack;           // 1017
    CButton m_btnNext;           // 1
};
