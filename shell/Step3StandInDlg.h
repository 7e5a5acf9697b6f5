// A stand-in for wizard step 3 (the Notes folders) until that step's dialog
// is in the shell: a page with Back and Next in the step frame. Next takes
// the one folder the mode implies (mail: the Inbox; address book and
// calendar: the NSF itself), logs the step-3 block and runs step 4; Back
// frees the folder list and clears the copier's stop flag, as step 3 does.
// Replace it with Ctreedlg in CSourceDld::OnNext and remove it and its
// template (198).
#pragma once

#include "WizardStepDlg.h"

class CStep3StandInDlg : public CWizardStepDlg {
public:
    enum { IDD = 198 };
    CStep3StandInDlg();

protected:
    BOOL OnInitDialog() override;

    afx_msg void OnNext();
    afx_msg void OnBack();

    DECLARE_MESSAGE_MAP()
};
