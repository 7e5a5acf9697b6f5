// The frame that wizard steps 2, 4 and 5 share: the View Log, Support and
// Exit tool buttons, the step picture, the skin "\main.bmp", the window
// title, help on F1, and the exit prompts: prompt A for Cancel (Escape, the
// close box) and the Exit button, prompt C for File / Exit. Every other
// command of the menu goes on to the main dialog.
#pragma once

#include "controls/ShadeButton.h"
#include "controls/SkinDialog.h"

class CWizardStepDlg : public CSkinDialog {
public:
    CWizardStepDlg(UINT nIDTemplate, CWnd* pParent);
    ~CWizardStepDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Escape and the close box: prompt A.
    void OnCancel() override;

    // The step picture (a file name of the install folder, "\step2.bmp")
    // and the skin, from g_szInstallDir as it stands.
    void LoadStepPictures(LPCWSTR pictureName);

    afx_msg void OnViewLog();
    afx_msg void OnSupport();
    afx_msg void OnExit();
    afx_msg void OnFileExit();
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);

    DECLARE_MESSAGE_MAP()

    CxShadeButton m_btnViewLog; // 1004
    CxShadeButton m_btnSupport; // 1005
    CxShadeButton m_btnExit;    // 1006
    CStatic m_stcStep;          // 1007, the step picture

private:
    HBITMAP m_hStepPicture = nullptr;
};
