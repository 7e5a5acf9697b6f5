// A static text that paints its template text itself: any font, colour,
// weight, underline and italic; a solid or horizontally graded background,
// or none at all over a skinned dialog; a one-pixel 3-D copy of the text;
// rotated text drawn from the centre; text that flashes on a timer; a click
// that opens an address, a mail address, or notifies the parent. Every
// setter returns the label, so calls chain.
#pragma once

#include "afx/AfxWin.h"

// The notification a label with "notify parent" sends its parent on a click.
constexpr UINT NM_LINKCLICK = WM_APP + 0x200;

class CLabel : public CStatic {
    DECLARE_DYNAMIC(CLabel)

public:
    enum LinkStyle { LinkNone = 0, HyperLink = 1, MailLink = 2 };
    enum FlashType { None = 0, Text = 1, Background = 2 };

    CLabel();
    ~CLabel() override;

    // The setters that redraw store their value and redraw only once the
    // label has a window (and its parent, when it has one).
    virtual CLabel& SetBkColor(COLORREF crBkgnd, COLORREF crBkgndHigh = 0, BOOL bGradient = FALSE);
    virtual CLabel& SetTextColor(COLORREF crText);
    virtual CLabel& SetText(const CString& strText);
    virtual CLabel& SetFontBold(BOOL bBold);
    virtual CLabel& SetFontName(const CString& strFont, BYTE byCharSet = ANSI_CHARSET);
    virtual CLabel& SetFontUnderline(BOOL bSet);
    virtual CLabel& SetFontItalic(BOOL bSet);
    virtual CLabel& SetFontSize(int nSize);
    virtual CLabel& SetSunken(BOOL bSet);
    virtual CLabel& SetBorder(BOOL bSet);
    virtual CLabel& SetTransparent(BOOL bSet);
    virtual CLabel& FlashText(BOOL bActivate);
    virtual CLabel& FlashBackground(BOOL bActivate);
    virtual CLabel& SetLink(BOOL bLink, BOOL bNotifyParent);
    virtual CLabel& SetLinkCursor(HCURSOR hCursor);
    virtual CLabel& SetText3D(BOOL bSet, BOOL bDirection = TRUE);
    virtual CLabel& SetRotationAngle(int nAngle, BOOL bRotation);
    virtual CLabel& SetText3DColor(COLORREF cr3DColor);
    virtual CLabel& SetFontIndirect(LOGFONTW lf);
    virtual CLabel& SetMailLink(BOOL bEnable, BOOL bNotifyParent);
    virtual CLabel& SetLinkURL(const CString& strURL);

    // The description the label's font is built from.
    const LOGFONTW& GetLogFont() const { return m_lf; }

protected:
    void PreSubclassWindow() override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnSysColorChange();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);

    DECLARE_MESSAGE_MAP()

private:
    void RebuildFont();
    void RedrawWithParent();
    UINT TextFormat(const CString& text) const;
    void StartFlash(FlashType type);

    COLORREF m_crText;
    COLORREF m_cr3DColor = 0x00FFFFFF;
    HBRUSH m_hSystemBrush;
    HBRUSH m_hBackBrush = nullptr;
    LOGFONTW m_lf = {};
    CFont m_font;
    BOOL m_bFlashPhase = FALSE;
    BOOL m_bFlashTimerStarted = FALSE;
    LinkStyle m_link = LinkNone;
    BOOL m_bTransparent = FALSE;
    BOOL m_bText3D = FALSE;
    BOOL m_bNotifyParent = FALSE;
    BOOL m_bRotated = FALSE;
    FlashType m_flash = None;
    HCURSOR m_hLinkCursor = nullptr;
    BOOL m_b3DDirection = FALSE;
    BOOL m_bGradient = FALSE;
    COLORREF m_crGradientEnd = 0;
    COLORREF m_crBackground = 0;
    CString m_strLinkURL;
};

// A horizontal gradient over the rectangle from one colour towards the other
// in at most nBands bands (8.8 fixed point); the last band keeps the start
// colour plus (n - 1) / n of the difference.
void PaintGradient(CDC* pDC, const CRect& rect, COLORREF crFrom, COLORREF crTo, int nBands);
