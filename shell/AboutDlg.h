// The About box (dialog 100): the program's name and version, the maker's
// lines, and two link buttons that open the addresses they show; its
// background is the install folder's "\Skin.bmp".
#pragma once

#include "controls/SkinDialog.h"
#include "controls/UrlLinkButton.h"

class CAboutDlg : public CSkinDialog {
public:
    enum { IDD = 100 };
    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnWebsite();

    DECLARE_MESSAGE_MAP()

private:
    CURLLinkButton m_lnkWebsite; // 1004
    CURLLinkButton m_lnkSupport; // 1005
};
