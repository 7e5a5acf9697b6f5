// Wizard step 2 (dialog 136): the Notes database to convert, proposed from
// the Notes installation by the conversion mode (the user's mail database,
// or the address book), the body format of mail (plain text or rich text),
// and an optional backup of the database before the conversion.
#pragma once

#include "WizardStepDlg.h"

class CSourceDld : public CWizardStepDlg {
public:
    enum { IDD = 136 };
    explicit CSourceDld(CWnd* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnNext();
    afx_msg void OnBrowseNsf();
    afx_msg void OnBrowseBackup();
    afx_msg void OnBackupCheck();
    afx_msg void OnTxtFormat();
    afx_msg void OnRtfFormat();
    afx_msg void OnBack();

    DECLARE_MESSAGE_MAP()

private:
    // The Notes data folder of the installation, or a message and false.
    bool ReadNotesDataFolder(CString& folder);
    // The first "*.nsf" of the data folder's "mail\"; nothing when none.
    void FindNotesMailFile();
    // The data folder's "names.nsf", whether or not it exists.
    void FindNotesAddressBook();
    void ProposeNsf(const CString& path);
    // Next's checks in their order; false after the failing check's message.
    bool CheckSource();
    bool CheckBackup(const CString& backup);

    CButton m_btnBrowseNsf;    // 1015
    CButton m_btnBrowseBackup; // 1016
    CButton m_btnNext;         // 3
    CButton m_btnBack;         // 1017
    CButton m_chkBackup;       // 1014
    CEdit m_edtNsfPath;        // 1012
    CEdit m_edtBackupPath;     // 1013
    CButton m_radTxt;          // 1049
    CButton m_radRtf;          // 1050
};
