// The main dialog and wizard step 1 (dialog 102): the choice of what to
// convert (mail folders, the address book or the calendar). It shows the
// splash window while it opens, writes the start block of the activity log,
// holds the menu (File, Log, Help) and the system menu's About item, and
// starts the chain of step dialogs. Every menu command that a later step
// does not handle itself reaches this dialog's handlers.
#pragma once

#include "CLogDlg.h"
#include "controls/Label.h"
#include "controls/ShadeButton.h"
#include "controls/SkinDialog.h"

// The conversion mode chosen by step 1's Next: 1 mail folders, 2 address
// book, 3 calendar; 0 until then.
extern int g_nConvMode;

class CMarlwickDlg : public CSkinDialog {
public:
    enum { IDD = 102 };
    CMarlwickDlg();
    ~CMarlwickDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Command 2: Cancel, and the close box, the system menu's Close, Alt+F4.
    void OnCancel() override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnNext();
    afx_msg void OnViewLog();
    afx_msg void OnSupport();
    afx_msg void OnExit();
    afx_msg void OnFileExit();
    afx_msg void OnLogView();
    afx_msg void OnLogClear();
    afx_msg void OnLogChangePath();
    afx_msg void OnHelpContents();
    afx_msg void OnHelpAbout();
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);

    DECLARE_MESSAGE_MAP()

private:
    void ShowSplash();

    HICON m_hIcon;
    CStatic m_stcStep;             // 1007, the step picture
    CxShadeButton m_btnViewLog;    // 1004
    CxShadeButton m_btnSupport;    // 1005
    CxShadeButton m_btnExit;       // 1006
    CButton m_radMails;            // 1010
    CButton m_radAddressBook;      // 1011
    CLogDlg m_dlgLog;              // Log / Change Path; its window is made anew by every run
    CLabel m_lblWelcome;           // 1031
    // The skin, "\main.bmp", is the base's m_skin.
    CButton m_btnCancel;           // 2, hidden
    CButton m_radCalendar;         // 1048
    HBITMAP m_hStepPicture = nullptr;
};
