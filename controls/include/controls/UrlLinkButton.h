// CURLLinkButton: an owner-drawn push button that looks and acts like a
// hyperlink. It draws its caption underlined and heavy with no face, in the
// colour of its state (normal, hovered, visited, disabled), and a click (or
// Enter on it) opens its address with the shell's "open" verb: the URL when
// one is set, else its caption, after an optional prefix. The click is its
// own: the dialog does not receive it.
#pragma once

#include "afx/AfxWin.h"
#include "afx/CommonControls.h"

class CURLLinkButton : public CButton {
    DECLARE_DYNAMIC(CURLLinkButton)

public:
    CURLLinkButton();
    ~CURLLinkButton() override;

    void SetLinkColor(COLORREF clrLink);
    void SetHoverColor(COLORREF clrHover);
    void SetVisitedColor(COLORREF clrVisited);
    void SetColors(COLORREF clrLink, COLORREF clrHover, COLORREF clrVisited);
    void SetURL(LPCWSTR lpszURL);
    void SetURLPrefix(LPCWSTR lpszPrefix);
    // The prefix and the URL, or the caption when no URL is set.
    CString GetURL() const;
    void SetText(LPCWSTR lpszText);
    void SizeToContent();
    void SetToolTipText(const CString& strText);
    void SetToolTipTextColor(COLORREF clrText);
    void SetToolTipBkColor(COLORREF clrBk);
    void SetToolTipColors(COLORREF clrText, COLORREF clrBk);

    bool IsVisited() const { return m_bVisited != FALSE; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PreSubclassWindow() override;

    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    afx_msg void OnClicked();
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnKillFocus(CWnd* pNewWnd);

    DECLARE_MESSAGE_MAP()

private:
    COLORREF m_clrLink;
    COLORREF m_clrHover;
    COLORREF m_clrVisited = RGB(128, 0, 128);
    COLORREF m_clrDisabled;
    BOOL m_bHover = FALSE;
    BOOL m_bTracking = FALSE;
    BOOL m_bVisited = FALSE;
    CString m_strURL;
    CString m_strPrefix;
    CFont* m_pLinkFont = nullptr;
    CToolTipCtrl m_ToolTip;

    // Shared by every link button: loaded by the first constructor that can.
    static HCURSOR s_hLinkCursor;
};
