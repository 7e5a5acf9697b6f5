// The shaded button's state: its style, icons, tooltip, check state, and the
// mouse and keys that change them.
#include "controls/ShadeButton.h"

#include "user/MouseTracking.h"

#include <algorithm>
#include <new>
#include <vector>

IMPLEMENT_DYNAMIC(CxShadeButton, CButton)

BEGIN_MESSAGE_MAP(CxShadeButton, CButton)
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDBLCLK()
ON_WM_KILLFOCUS()
ON_WM_KEYDOWN()
ON_WM_MOUSELEAVE()
ON_MESSAGE(WM_SHADE_UNCHECK, &CxShadeButton::OnRadioInfo)
ON_MESSAGE(BM_SETCHECK, &CxShadeButton::OnBMSetCheck)
ON_MESSAGE(BM_GETCHECK, &CxShadeButton::OnBMGetCheck)
END_MESSAGE_MAP()

namespace {

constexpr int kMaxTipWidth = 300;
constexpr UINT kAlignLeft = 256;
constexpr UINT kAlignRight = 512;
constexpr UINT kAlignCentre = 768;

} // namespace

CxShadeButton::CxShadeButton()
    : m_TextColor(::GetSysColor(COLOR_BTNTEXT))
{
}

CxShadeButton::~CxShadeButton()
{
    m_Font.DeleteObject();
    delete m_pLF;
    DestroyIcons();
}

void CxShadeButton::ReadStyle(DWORD style)
{
    m_IsPushLike = (style & BS_PUSHLIKE) != 0;
    m_flat = (style & BS_FLAT) != 0;
    DWORD type = style & 0xFFFF;
    if ((type & 3) == 3) {
        m_Style = CheckBox;
    } else if ((type & 9) == 9) {
        m_Style = Radio;
    } else {
        // Non-automatic check boxes and radio buttons act as push buttons.
        m_Style = Push;
        m_IsPushLike = true;
    }
    if (!m_IsPushLike)
        m_Border = FALSE;
}

void CxShadeButton::PreSubclassWindow()
{
    DWORD style = GetStyle();
    switch (style & (BS_LEFT | BS_RIGHT | BS_CENTER)) {
    case BS_LEFT:
        m_TextAlign = DT_LEFT;
        break;
    case BS_RIGHT:
        m_TextAlign = DT_RIGHT;
        break;
    default:
        m_TextAlign = DT_CENTER;
        break;
    }
    m_TextAlign |= DT_VCENTER | DT_SINGLELINE;
    ReadStyle(style);
    CButton::PreSubclassWindow();
    ModifyStyle(0, BS_OWNERDRAW);
}

void CxShadeButton::SetTextAlign(UINT nTextAlign)
{
    m_TextAlign = (nTextAlign == kAlignLeft ? DT_LEFT : nTextAlign == kAlignRight ? DT_RIGHT : DT_CENTER)
        | DT_VCENTER | DT_SINGLELINE;
}

void CxShadeButton::SetFlat(bool bFlag)
{
    m_flat = bFlag;
}

COLORREF CxShadeButton::SetTextColor(COLORREF new_color)
{
    return std::exchange(m_TextColor, new_color);
}

void CxShadeButton::SetButtonStyle(UINT nStyle, BOOL bRedraw)
{
    ReadStyle(nStyle);
    if (m_Style == Push)
        m_Checked = false;
    if (bRedraw)
        Invalidate();
}

bool CxShadeButton::AllocateFontDescription()
{
    if (!m_pLF)
        m_pLF = new (std::nothrow) LOGFONTW{};
    return m_pLF != nullptr;
}

bool CxShadeButton::SetTextFont(const LOGFONTW* plf)
{
    if (!plf || !AllocateFontDescription())
        return false;
    *m_pLF = *plf;
    m_Font.DeleteObject();
    return m_Font.CreateFontIndirect(m_pLF) != FALSE;
}

bool CxShadeButton::SetTextFont(CString sFontName, LONG nHeight, LONG nWeight, BYTE bItalic, BYTE bUnderline)
{
    if (!AllocateFontDescription())
        return false;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(sFontName.GetLength()), LF_FACESIZE - 1);
    std::copy_n(static_cast<LPCWSTR>(sFontName), n, m_pLF->lfFaceName);
    m_pLF->lfFaceName[n] = 0;
    m_pLF->lfHeight = nHeight;
    m_pLF->lfWeight = nWeight;
    m_pLF->lfItalic = bItalic;
    m_pLF->lfUnderline = bUnderline;
    m_Font.DeleteObject();
    return m_Font.CreateFontIndirect(m_pLF) != FALSE;
}

int CxShadeButton::ReleasePress()
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_button_down = false;
    return 0;
}

void CxShadeButton::DestroyIcons()
{
    if (m_IconDown && m_IconDown != m_Icon)
        ::DestroyIcon(m_IconDown);
    if (m_IconHighLight && m_IconHighLight != m_Icon)
        ::DestroyIcon(m_IconHighLight);
    if (m_Icon)
        ::DestroyIcon(m_Icon);
    m_Icon = m_IconDown = m_IconHighLight = nullptr;
}

HICON CxShadeButton::LoadButtonIcon(UINT id) const
{
    return static_cast<HICON>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(static_cast<WORD>(id)), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
}

void CxShadeButton::SetIcon(UINT nIcon, UINT nIconAlign, UINT nIconDown, UINT nIconHighLight)
{
    DestroyIcons();
    m_Icon = LoadButtonIcon(nIcon);
    if (!m_Icon)
        return;
    ICONINFO info = {};
    ::GetIconInfo(m_Icon, &info);
    const int iconWidth = static_cast<int>(info.xHotspot) * 2, iconHeight = static_cast<int>(info.yHotspot) * 2;
    m_IconBox = {0, 0, iconWidth, iconHeight};
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);

    CRect window;
    GetWindowRect(&window);
    const int w = window.Width(), h = window.Height();
    if (nIconAlign == kAlignLeft) {
        ::OffsetRect(&m_IconBox, m_FocusRectMargin, std::max(h / 2 - static_cast<int>(info.yHotspot), 0));
        m_IconBox.left = 0;
        m_IconAlign = kAlignLeft;
    } else if (nIconAlign == kAlignRight) {
        ::OffsetRect(&m_IconBox, w - iconWidth - m_FocusRectMargin,
                     std::max(h / 2 - static_cast<int>(info.yHotspot), 0));
        m_IconAlign = kAlignRight;
    } else {
        // Centred, with the icon's bottom at the middle of the button.
        ::OffsetRect(&m_IconBox, std::max(w / 2 - static_cast<int>(info.xHotspot), 0), std::max(h / 2 - iconHeight, 0));
        m_IconAlign = kAlignCentre;
    }
    m_IconDown = nIconDown ? LoadButtonIcon(nIconDown) : nullptr;
    if (!m_IconDown)
        m_IconDown = m_Icon;
    m_IconHighLight = nIconHighLight ? LoadButtonIcon(nIconHighLight) : nullptr;
    if (!m_IconHighLight)
        m_IconHighLight = m_Icon;
}

CString CxShadeButton::ShownToolTipText() const
{
    return m_Checked && !m_ToolTipDw.IsEmpty() ? m_ToolTipDw : m_ToolTipUp;
}

void CxShadeButton::SetToolTipText(CString s, CString sDown)
{
    m_ToolTipUp = s;
    m_ToolTipDw = sDown;
    if (!m_tooltip.m_hWnd) {
        if (!m_tooltip.Create(this))
            return; // a later call tries again
        if (m_tooltip.AddTool(this, ShownToolTipText())) {
            m_tooltip.Activate(TRUE);
            m_tooltip.SetMaxTipWidth(kMaxTipWidth);
        }
    }
    m_tooltip.UpdateTipText(ShownToolTipText(), this);
}

void CxShadeButton::RelayEvent(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_tooltip.m_hWnd)
        return;
    MSG msg = {m_hWnd, message, wParam, lParam, 0, {LOWORD(static_cast<UINT_PTR>(lParam)), HIWORD(static_cast<UINT_PTR>(lParam))}};
    m_tooltip.RelayEvent(&msg);
}

BOOL CxShadeButton::OnEraseBkgnd(CDC*)
{
    return TRUE; // the face covers the whole control
}

void CxShadeButton::OnLButtonDown(UINT nFlags, CPoint point)
{
    RelayEvent(WM_LBUTTONDOWN, nFlags, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
    if (m_tracking) {
        TRACKMOUSEEVENT cancel = {sizeof(TRACKMOUSEEVENT), TME_CANCEL | TME_LEAVE, m_hWnd, 0};
        if (::_TrackMouseEvent(&cancel))
            m_tracking = false;
    }
    Default();
    m_button_down = true;
}

void CxShadeButton::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_Style != Push) {
        CPoint screen = point;
        ClientToScreen(&screen);
        if (::WindowFromPoint(screen) == m_hWnd && m_button_down) {
            if (m_Style == CheckBox)
                SendMessage(BM_SETCHECK, m_Checked ? 0 : 1);
            else
                SendMessage(BM_SETCHECK, 1);
        }
    }
    RelayEvent(WM_LBUTTONUP, nFlags, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
    m_button_down = false;
    Default();
}

void CxShadeButton::OnMouseMove(UINT nFlags, CPoint point)
{
    RelayEvent(WM_MOUSEMOVE, nFlags, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
    if (m_button_down && ::GetCapture() == m_hWnd) {
        CPoint screen = point;
        ClientToScreen(&screen);
        const bool over = ::WindowFromPoint(screen) == m_hWnd;
        const bool pushed = (SendMessage(BM_GETSTATE) & BST_PUSHED) != 0;
        if (over != pushed) {
            SendMessage(BM_SETSTATE, over);
            Invalidate(TRUE);
        }
    } else if (!m_tracking) {
        TRACKMOUSEEVENT leave = {sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
        if (::_TrackMouseEvent(&leave)) {
            m_tracking = true;
            Invalidate();
        }
    }
    Default();
}

void CxShadeButton::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    // A double click acts as a second press.
    SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
}

void CxShadeButton::OnKillFocus(CWnd*)
{
    if (::GetCapture() == m_hWnd) {
        ::ReleaseCapture();
        m_button_down = false;
    }
    Default();
}

void CxShadeButton::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (m_Style != Push && nChar == VK_SPACE) {
        if (m_Style == CheckBox)
            SendMessage(BM_SETCHECK, m_Checked ? 0 : 1);
        else
            SendMessage(BM_SETCHECK, 1);
    }
    Default();
}

void CxShadeButton::OnMouseLeave()
{
    m_tracking = false;
    Invalidate();
}

LRESULT CxShadeButton::OnRadioInfo(WPARAM, LPARAM)
{
    if (m_Checked) {
        m_Checked = false;
        if (m_tooltip.m_hWnd)
            m_tooltip.UpdateTipText(m_ToolTipUp, this);
        Invalidate();
    }
    return 0;
}

LRESULT CxShadeButton::OnBMSetCheck(WPARAM wParam, LPARAM)
{
    m_Checked = wParam != 0 && m_Style != Push;
    if (m_Style == Radio && m_Checked) {
        HWND parent = ::GetParent(m_hWnd);
        if (parent && m_hWnd) {
            // The walk skips disabled and hidden controls, so from a disabled
            // button it never comes back to it: it ends at the first control
            // met twice.
            std::vector<HWND> met;
            for (HWND next = ::GetNextDlgGroupItem(parent, m_hWnd, FALSE);
                 next && next != m_hWnd && std::find(met.begin(), met.end(), next) == met.end();
                 next = ::GetNextDlgGroupItem(parent, next, FALSE)) {
                met.push_back(next);
                ::PostMessageW(next, WM_SHADE_UNCHECK, 0, 0);
            }
        }
    }
    if (m_tooltip.m_hWnd) {
        m_tooltip.Pop();
        m_tooltip.UpdateTipText(ShownToolTipText(), this);
    }
    Invalidate();
    return 0;
}

LRESULT CxShadeButton::OnBMGetCheck(WPARAM, LPARAM)
{
    return m_Checked ? 1 : 0;
}
