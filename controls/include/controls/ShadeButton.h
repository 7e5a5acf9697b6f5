// CxShadeButton: the owner-drawn button of the skinned dialogs. It takes
// over a push button, check box or radio button of a dialog template when
// the dialog binds it (DDX_Control), then paints the control itself from
// pre-rendered faces (normal, down, disabled, hover, and two dotted bands of
// the focus rectangle), an icon, its caption and a 3-D edge; it tracks the
// mouse for its hover look, keeps its own check state, and carries a tooltip.
// A click reaches the dialog as the ordinary command of the button's id.
#pragma once

#include "afx/AfxWin.h"
#include "afx/CommonControls.h"
#include "controls/Dib.h"
#include "controls/ShadeEffects.h"

// Posted by a shaded radio button that became checked to the other controls
// of its dialog group.
constexpr UINT WM_SHADE_UNCHECK = WM_USER + 0x100;

// The effect numbers under the names the dialogs first used, kept so that
// their calls stay as they are.
constexpr UINT SHS_NOISE = GrainOnly;
constexpr UINT SHS_DIAGSHADE = DiagonalGradient;
constexpr UINT SHS_HSHADE = VerticalGradient;
constexpr UINT SHS_VSHADE = HorizontalGradient;
constexpr UINT SHS_HBUMP = VerticalCubic;
constexpr UINT SHS_VBUMP = HorizontalCubic;
constexpr UINT SHS_SOFTBUMP = CornerCubic;
constexpr UINT SHS_HARDBUMP = CubicWithBevels;
constexpr UINT SHS_METAL = DiagonalStreaks;

class CxShadeButton : public CButton {
    DECLARE_DYNAMIC(CxShadeButton)

public:
    // The button kinds it tells apart.
    enum Kind { Push = 0, CheckBox = 2, Radio = 4 };

    CxShadeButton();
    ~CxShadeButton() override;

    // Builds the faces from the window's size and the system colours: the
    // effect's pattern (ShadeEffect), the grain, the percentage of the 3-D
    // highlight in the hover and down faces, and the percentage of the tint
    // colour in every face. Only the low 8 bits of the numbers count.
    void SetShade(UINT shadeID = GrainOnly, UINT granularity = 8, UINT highlight = 10, UINT coloring = 0,
                  COLORREF color = 0);
    // Icons of the program's resources; alignment 256 left, 512 right, any
    // other value centred above the caption (stored as 768). A down or hover
    // id of 0 uses the icon.
    void SetIcon(UINT nIcon, UINT nIconAlign = 768, UINT nIconDown = 0, UINT nIconHighLight = 0);
    // The tooltip's text, and the text shown while a check-style button is
    // checked (when not empty); the tooltip is made on first use.
    void SetToolTipText(CString s, CString sDown = CString());

    void SetTextAlign(UINT nTextAlign);
    void SetFlat(bool bFlag);
    COLORREF SetTextColor(COLORREF new_color);
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
    bool SetTextFont(const LOGFONTW* plf);
    bool SetTextFont(CString sFontName, LONG nHeight, LONG nWeight = FW_NORMAL, BYTE bItalic = 0,
                     BYTE bUnderline = 0);
    const LOGFONTW* GetTextFont() const { return m_pLF; }
    int ReleasePress();

    // Where the icon is drawn, in client coordinates.
    const RECT& GetIconBox() const { return m_IconBox; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    void PreSubclassWindow() override;

    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnMouseLeave();
    afx_msg LRESULT OnRadioInfo(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBMSetCheck(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBMGetCheck(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void RelayEvent(UINT message, WPARAM wParam, LPARAM lParam);
    void DestroyIcons();
    // The zero-filled font description, made on first use; false when it
    // cannot be had.
    bool AllocateFontDescription();
    HICON LoadButtonIcon(UINT id) const;
    void ReadStyle(DWORD style);
    CString ShownToolTipText() const;

    CFont m_Font;
    LOGFONTW* m_pLF = nullptr;
    CString m_ToolTipUp;
    CString m_ToolTipDw;
    bool m_Checked = false;
    bool m_IsPushLike = false;
    int m_Style = Push;
    CxDib m_dNormal;
    CxDib m_dDown;
    CxDib m_dDisabled;
    CxDib m_dOver;
    CxDib m_dh;
    CxDib m_dv;
    bool m_tracking = false;
    bool m_button_down = false;
    CToolTipCtrl m_tooltip;
    short m_FocusRectMargin = 4;
    COLORREF m_TextColor;
    BOOL m_Border = TRUE;
    HICON m_Icon = nullptr;
    HICON m_IconDown = nullptr;
    HICON m_IconHighLight = nullptr;
    RECT m_IconBox = {};
    UINT m_TextAlign = DT_CENTER;
    UINT m_IconAlign = 768;
    bool m_flat = false;
};
