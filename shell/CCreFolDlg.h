// Wizard step 5 (dialog 149): the name of the folder the conversion fills
// inside the PST, proposed from the local date and time, and Convert, which
// runs step 6.
#pragma once

#include "WizardStepDlg.h"
#include "controls/Label.h"

class CCreFolDlg : public CWizardStepDlg {
public:
    enum { IDD = 149 };
    explicit CCreFolDlg(CWnd* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnConvert();
    afx_msg void OnBack();

    DECLARE_MESSAGE_MAP()

private:
    CButton m_chkEditName; // 1014, hidden: the name is always editable
    CEdit m_edtFolderName; // 1013
    CLabel m_lblNote;      // 1043
};
